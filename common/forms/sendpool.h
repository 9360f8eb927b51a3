// Many sends, a few at a time, while the window goes on: each send is a
// blocking call of System::sendMessage on a worker, and its result comes
// back on the window thread through Toolkit::post.  Results are handed on in
// the order the sends started, however they finish.
#pragma once

#include "system.h"
#include "view.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stop_token>

namespace forms {

class SendPool
{
public:
    // Each runs on the window thread; any of them may end the pool.
    struct Handlers
    {
        // The next send, asked for when a place is free, so that it is made
        // of what the window holds when it starts; nothing once all have
        // started.
        std::function<std::optional<SendRequest>()> next;
        // The result of a send to that recipient, in the order the sends
        // started.
        std::function<void(const std::u16string &toUser, const SendResult &)> done;
        // After the last result.
        std::function<void()> finished;
    };

    // parallel: how many sends may be under way at once (at least one).
    SendPool(Toolkit &toolkit, System &system, int parallel, Handlers handlers);
    // Stops, and waits for the workers.
    ~SendPool();
    SendPool(const SendPool &) = delete;
    SendPool &operator=(const SendPool &) = delete;

    // Starts the first sends; with none to make, finishes at once.
    void start();
    // Ends the sends under way where the system can, and starts no more; no
    // handler runs after this.  Does not wait.
    void stop();

    // Sends started whose results have not been handed on.
    std::size_t underWay() const { return m_underWay.size(); }

private:
    struct Shared;
    void fill();
    void collect();
    // Ends the run once every send is started, back and handed on.
    void finishIfDone();
    std::function<void(SendResult)> completion(std::uint64_t index);

    Toolkit &m_toolkit;
    const int m_parallel;
    Handlers m_handlers;
    std::stop_source m_stop;
    std::shared_ptr<Shared> m_shared;
    std::shared_ptr<bool> m_alive;
    std::unique_ptr<SendWorkers> m_workers;

    bool m_stopped = false;
    bool m_allStarted = false;
    int m_running = 0;
    std::uint64_t m_started = 0;
    std::uint64_t m_handedOn = 0;
    // The recipients in start order, from the oldest not handed on; not
    // their messages, which may be long and many wait behind a slow host.
    std::deque<std::u16string> m_underWay;
    // Results that wait for an earlier one.
    std::map<std::uint64_t, SendResult> m_early;
};

} // namespace forms
