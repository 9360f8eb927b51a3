// A stand-in for the platform chores: records every BroadcastMessage and
// answers with a chosen result, so that no test sends anything anywhere.
// Files are real.
#pragma once

#include "system.h"

#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace fakeplatform {

struct BroadcastCall
{
    QString toUser;
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

// The platform chores with sends, the computer name and FileExists answered
// from state().
class System : public forms::System
{
public:
    SendResult sendMessage(
        const std::u16string &toUser, const std::u16string &message, std::stop_token stop) override;
    std::u16string computerName() override;
    bool fileExists(const std::u16string &path) override;
};

} // namespace fakeplatform
