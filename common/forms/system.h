// The platform chores a form asks for, as an object: the programs pass the
// real platform layer, tests a stand-in that sends nothing and starts
// nothing.  Text files and settings files go to the real file system in
// both, tests using folders of their own.
#pragma once

#include "platform.h"
#include "sendresult.h"

#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace forms {

struct SendRequest
{
    std::u16string toUser;
    std::u16string message;
};

// Where the sends of a window run while the window goes on: the blocking
// sends on threads of their own.
class SendWorkers
{
public:
    // Waits for the sends under way to end.
    virtual ~SendWorkers() = default;
    // Sends on the first worker that is free, in the order asked, and calls
    // done with the result on that worker.
    virtual void send(
        SendRequest request, std::stop_token stop, std::function<void(SendResult)> done)
        = 0;
};

class System
{
public:
    virtual ~System() = default;

    // Blocks until the service has answered; called from any thread, several
    // at once.  A stop requested through stop ends the send where it can.
    virtual SendResult sendMessage(
        const std::u16string &toUser, const std::u16string &message, std::stop_token stop);
    // Why no recipient at all could take this message (TooLong,
    // Unrepresentable), or nothing.
    virtual std::optional<SendOutcome> checkMessage(const std::u16string &message);
    // count threads that call sendMessage.
    virtual std::unique_ptr<SendWorkers> startWorkers(int count);

    virtual std::u16string computerName();
    virtual std::u16string addSlash(const std::u16string &path);
    virtual bool fileExists(const std::u16string &path);
    // The folder the program keeps its files in, without separator at the end.
    virtual std::u16string programFolder();
    virtual bool ensureFolder(const std::u16string &path);
    virtual std::u16string readProfileString(const std::u16string &section,
        const std::u16string &key, const std::u16string &defaultValue, const std::u16string &path);
    virtual std::optional<std::u16string> readTextFile(const std::u16string &path);
    // Stores the values into the settings file and the text into the text
    // file, both or neither (SaveProfileAndText).
    virtual bool saveProfileAndText(const std::u16string &profilePath,
        const std::vector<ProfileValue> &values, const std::u16string &textPath,
        const std::u16string &text);
    virtual bool startProgram(const std::u16string &commandLine);
};

} // namespace forms
