#include "system.h"

#include "platform.h"
#include "sendworkers.h"

namespace forms {

SendResult System::sendMessage(
    const std::u16string &toUser, const std::u16string &message, std::stop_token stop)
{
    return SendMessageTo(toUser, message, std::move(stop));
}

std::optional<SendOutcome> System::checkMessage(const std::u16string &message)
{
    return CheckMessage(message);
}

std::unique_ptr<SendWorkers> System::startWorkers(int count)
{
    return std::make_unique<ThreadSendWorkers>(*this, count);
}

std::u16string System::computerName()
{
    return ComputerName();
}

std::u16string System::addSlash(const std::u16string &path)
{
    return AddSlash(path);
}

bool System::fileExists(const std::u16string &path)
{
    return FileExists(path);
}

std::u16string System::programFolder()
{
    return ProgramFolder();
}

bool System::ensureFolder(const std::u16string &path)
{
    return EnsureFolder(path);
}

std::u16string System::readProfileString(const std::u16string &section, const std::u16string &key,
    const std::u16string &defaultValue, const std::u16string &path)
{
    return ReadProfileValue(section, key, defaultValue, path);
}

std::optional<std::u16string> System::readTextFile(const std::u16string &path)
{
    return ReadTextFile(path);
}

bool System::saveProfileAndText(const std::u16string &profilePath,
    const std::vector<ProfileValue> &values, const std::u16string &textPath,
    const std::u16string &text)
{
    return SaveProfileAndText(profilePath, values, textPath, text);
}

bool System::startProgram(const std::u16string &commandLine)
{
    return StartProgram(commandLine);
}

} // namespace forms
