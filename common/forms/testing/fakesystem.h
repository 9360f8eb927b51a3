// The platform chores for form tests: sends and program starts are recorded
// and answered here, nothing leaves the process; files are real, in a folder
// the test chooses.
#pragma once

#include "system.h"

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace fakes {

struct Send
{
    std::u16string toUser;
    std::u16string fromUser;
    std::u16string message;
};

class System : public forms::System
{
public:
    bool broadcastMessage(const std::u16string &toUser, const std::u16string &fromUser,
        const std::u16string &message) override
    {
        sends.push_back({toUser, fromUser, message});
        if (duringSend)
            duringSend(sends.back());
        return refused.count(toUser) == 0;
    }
    std::u16string computerName() override { return name; }
    std::u16string programFolder() override { return folder; }
    bool startProgram(const std::u16string &commandLine) override
    {
        started.push_back(commandLine);
        return !commandLine.empty();
    }

    std::u16string name = u"SENDER-PC";
    std::u16string folder;
    std::set<std::u16string> refused;
    std::vector<Send> sends;
    std::vector<std::u16string> started;
    // Runs inside each send, as the service would take its time.
    std::function<void(const Send &)> duringSend;
};

} // namespace fakes
