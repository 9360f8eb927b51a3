#include "fakeplatform.h"

#include "platform.h"

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

} // namespace fakeplatform

using fakeplatform::state;

bool BroadcastMessage(
    const std::u16string &sToUser, const std::u16string &sFromUser, const std::u16string &sMessage)
{
    state().calls.push_back({QString::fromStdU16String(sToUser),
        QString::fromStdU16String(sFromUser), QString::fromStdU16String(sMessage)});
    if (state().onBroadcast)
        state().onBroadcast();
    return state().broadcastResult;
}

std::u16string ComputerName()
{
    ++state().computerNameCalls;
    if (state().onComputerName)
        state().onComputerName();
    return state().computerName.toStdU16String();
}

// The real rules, small enough to repeat here.
std::u16string AddSlash(std::u16string AddPath)
{
#ifdef Q_OS_WIN
    const char16_t separator = u'\\';
#else
    const char16_t separator = u'/';
#endif
    if (AddPath.empty() || AddPath.back() != separator)
        AddPath.push_back(separator);
    return AddPath;
}

bool FileExists(const std::u16string &sSource)
{
    const QString path = QString::fromStdU16String(sSource);
    state().fileExistsPaths << path;
    switch (state().fileExistsMode) {
    case fakeplatform::FileExistsMode::AlwaysFalse:
        return false;
    case fakeplatform::FileExistsMode::AlwaysTrue:
        return true;
    case fakeplatform::FileExistsMode::Real:
        break;
    }
    const QFileInfo info(path);
    return info.isFile() && !info.isHidden();
}
