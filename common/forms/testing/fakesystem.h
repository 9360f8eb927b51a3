// The platform chores for form tests: sends and program starts are recorded
// and answered here, nothing leaves the process; files are real, in a folder
// the test chooses.
//
// A window's sends run at once by default, each as it starts, with its
// result posted to the window's toolkit.  With holdSends they wait until the
// test ends them, one by one and in any order.
#pragma once

#include "system.h"

#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace fakes {

struct Send
{
    std::u16string toUser;
    std::u16string message;
};

class System : public forms::System
{
public:
    System() = default;
    System(const System &other);
    System &operator=(const System &other);

    SendResult sendMessage(
        const std::u16string &toUser, const std::u16string &message, std::stop_token stop) override;
    std::optional<SendOutcome> checkMessage(const std::u16string &message) override;
    std::unique_ptr<forms::SendWorkers> startWorkers(int count) override;
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
    // Messages no recipient could take, and why.
    std::map<std::u16string, SendOutcome> unsendable;
    // The sends that reached the service, in the order they did.
    std::vector<Send> sends;
    std::vector<std::u16string> started;
    // Runs inside each send, as the service would take its time.
    std::function<void(const Send &)> duringSend;

    // ---- the sends of a window, under the test's control ----------------
    bool holdSends = false;
    // How many sends the last window let be under way at once.
    int workerCount = 0;
    // The held sends, oldest first: what each was started with.
    std::vector<forms::SendRequest> held() const;
    // Ends the held send at that position: it reaches sendMessage now (a
    // stopped one does not), and its result is posted to the window's
    // toolkit, whose posted tasks the test then runs.
    void complete(std::size_t position = 0);
    // Ends the first held send to that host.
    void complete(const std::u16string &toUser);

private:
    struct Held
    {
        forms::SendRequest request;
        std::stop_token stop;
        std::function<void(SendResult)> done;
    };
    friend class Workers;

    mutable std::mutex m_mutex;
    std::vector<Held> m_held;
};

} // namespace fakes
