// The stand-in smbclient for Qt tests: what it was last handed, in Qt's types.
#pragma once

#include "fakesmbclient.h"

#include <QByteArray>
#include <QStringList>

inline QStringList lastArguments(const testsupport::FakeSmbclient &fake)
{
    QStringList list;
    for (const std::string &argument : fake.lastRun().arguments)
        list.append(QString::fromStdString(argument));
    return list;
}

inline QByteArray lastInput(const testsupport::FakeSmbclient &fake)
{
    return QByteArray::fromStdString(fake.lastRun().standardInput);
}
