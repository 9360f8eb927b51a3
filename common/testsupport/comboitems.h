#pragma once

#include <QComboBox>
#include <QStringList>

// The item texts of a combo box, first to last.
inline QStringList comboItems(const QComboBox *combo)
{
    QStringList list;
    for (int i = 0; i < combo->count(); ++i)
        list.append(combo->itemText(i));
    return list;
}
