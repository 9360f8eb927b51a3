// The programs' SendWorkers: threads of their own that call
// System::sendMessage, one send at a time each.  Plain C++ threads, for the
// Qt and the Win32 programs alike.
#pragma once

#include "system.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace forms {

class ThreadSendWorkers : public SendWorkers
{
public:
    // At most count threads, started as sends need them.
    ThreadSendWorkers(System &system, int count);
    // No send that has not begun begins; waits for those under way.
    ~ThreadSendWorkers() override;
    ThreadSendWorkers(const ThreadSendWorkers &) = delete;
    ThreadSendWorkers &operator=(const ThreadSendWorkers &) = delete;

    void send(
        SendRequest request, std::stop_token stop, std::function<void(SendResult)> done) override;

private:
    struct Job
    {
        SendRequest request;
        std::stop_token stop;
        std::function<void(SendResult)> done;
    };
    void work();

    System &m_system;
    const std::size_t m_count;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    std::size_t m_idle = 0;
    bool m_closing = false;
    std::vector<std::thread> m_threads;
};

} // namespace forms
