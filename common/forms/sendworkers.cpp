#include "sendworkers.h"

#include <algorithm>

namespace forms {

ThreadSendWorkers::ThreadSendWorkers(System &system, int count)
    : m_system(system), m_count(static_cast<std::size_t>(std::max(count, 1)))
{
}

ThreadSendWorkers::~ThreadSendWorkers()
{
    {
        const std::lock_guard lock(m_mutex);
        m_closing = true;
        m_jobs.clear();
    }
    m_wake.notify_all();
    for (std::thread &thread : m_threads)
        thread.join();
}

void ThreadSendWorkers::send(
    SendRequest request, std::stop_token stop, std::function<void(SendResult)> done)
{
    {
        const std::lock_guard lock(m_mutex);
        m_jobs.push_back({std::move(request), std::move(stop), std::move(done)});
        // A thread more only when none is free to take the job.
        if (m_idle < m_jobs.size() && m_threads.size() < m_count)
            m_threads.emplace_back([this] { work(); });
    }
    m_wake.notify_one();
}

void ThreadSendWorkers::work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        ++m_idle;
        m_wake.wait(lock, [this] { return m_closing || !m_jobs.empty(); });
        --m_idle;
        if (m_closing)
            return;
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        lock.unlock();
        SendResult result = m_system.sendMessage(job.request.toUser, job.request.message, job.stop);
        job.done(std::move(result));
        lock.lock();
    }
}

} // namespace forms
