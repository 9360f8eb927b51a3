#pragma once

#include <QLabel>
#include <QPlainTextEdit>
#include <QString>
#include <QWidget>

// What the label or plain text box of that objectName in window shows.  A
// missing one reads as "<no NAME>", so that the comparison fails with its
// name rather than the test crashing.
inline QString widgetText(const QWidget *window, const char *name)
{
    if (auto *label = window->findChild<QLabel *>(QLatin1String(name)))
        return label->text();
    if (auto *edit = window->findChild<QPlainTextEdit *>(QLatin1String(name)))
        return edit->toPlainText();
    return QStringLiteral("<no %1>").arg(QLatin1String(name));
}
