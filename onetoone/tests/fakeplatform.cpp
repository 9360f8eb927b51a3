#include "fakeplatform.h"

namespace fakeplatform {

State &state()
{
    static State s;
    return s;
}

void reset()
{
    state() = State();
}

SendResult System::sendMessage(
    const std::u16string &toUser, const std::u16string &message, std::stop_token)
{
    state().calls.push_back(
        {QString::fromStdU16String(toUser), QString::fromStdU16String(message)});
    if (state().onBroadcast)
        state().onBroadcast();
    return {state().broadcastResult ? SendOutcome::Delivered : SendOutcome::Failed, {}};
}

std::u16string System::computerName()
{
    ++state().computerNameCalls;
    if (state().onComputerName)
        state().onComputerName();
    return state().computerName.toStdU16String();
}

bool System::fileExists(const std::u16string &path)
{
    const QString file = QString::fromStdU16String(path);
    state().fileExistsPaths << file;
    switch (state().fileExistsMode) {
    case FileExistsMode::AlwaysFalse:
        return false;
    case FileExistsMode::AlwaysTrue:
        return true;
    case FileExistsMode::Real:
        break;
    }
    return forms::System::fileExists(path);
}

} // namespace fakeplatform
