// A stand-in for the platform layer: records every BroadcastMessage and
// answers with a chosen result, so that no test sends anything anywhere.
#pragma once

#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace fakeplatform {

struct BroadcastCall
{
    QString toUser;
    QString fromUser;
    QString message;
};

enum class FileExistsMode { Real, AlwaysFalse, AlwaysTrue };

struct State
{
    bool broadcastResult = true;
    QString computerName = QStringLiteral("FAKE-PC");
    FileExistsMode fileExistsMode = FileExistsMode::Real;
    std::vector<BroadcastCall> calls;
    QStringList fileExistsPaths;
    int computerNameCalls = 0;
    // Run inside the calls, to look at the window while a send is under way.
    std::function<void()> onComputerName;
    std::function<void()> onBroadcast;
};

State &state();
void reset();

} // namespace fakeplatform
