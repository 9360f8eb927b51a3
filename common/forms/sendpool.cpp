#include "sendpool.h"

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

namespace forms {

// What the workers leave for the window thread.
struct SendPool::Shared
{
    std::mutex mutex;
    std::vector<std::pair<std::uint64_t, SendResult>> finished;
    // Read and written on the window thread only; null once the pool has
    // stopped or gone.
    SendPool *pool = nullptr;
};

SendPool::SendPool(Toolkit &toolkit, System &system, int parallel, Handlers handlers)
    : m_toolkit(toolkit), m_parallel(std::max(parallel, 1)), m_handlers(std::move(handlers)),
      m_shared(std::make_shared<Shared>()), m_alive(std::make_shared<bool>(true)),
      m_workers(system.startWorkers(m_parallel))
{
    m_shared->pool = this;
}

SendPool::~SendPool()
{
    *m_alive = false;
    stop();
    m_workers.reset();
}

void SendPool::start()
{
    const std::shared_ptr<bool> alive = m_alive;
    fill();
    if (*alive)
        finishIfDone();
}

void SendPool::finishIfDone()
{
    if (m_stopped || !m_allStarted || m_running != 0 || !m_underWay.empty() || !m_handlers.finished)
        return;
    m_stopped = true;
    // A copy: the handler may end the pool.
    const auto finished = m_handlers.finished;
    finished();
}

void SendPool::stop()
{
    m_stopped = true;
    m_shared->pool = nullptr;
    m_stop.request_stop();
}

void SendPool::fill()
{
    const std::shared_ptr<bool> alive = m_alive;
    // A copy: the handler may end the pool.
    const auto next = m_handlers.next;
    while (!m_stopped && !m_allStarted && m_running < m_parallel) {
        std::optional<SendRequest> request = next();
        if (!*alive || m_stopped)
            return;
        if (!request) {
            m_allStarted = true;
            return;
        }
        const std::uint64_t index = m_started++;
        ++m_running;
        m_underWay.push_back(request->toUser);
        m_workers->send(std::move(*request), m_stop.get_token(), completion(index));
    }
}

std::function<void(SendResult)> SendPool::completion(std::uint64_t index)
{
    // Runs on a worker: one post for each batch, however many finish
    // before the window thread comes to it.
    return [shared = m_shared, &toolkit = m_toolkit, index](SendResult result) {
        bool first = false;
        {
            const std::lock_guard lock(shared->mutex);
            first = shared->finished.empty();
            shared->finished.emplace_back(index, std::move(result));
        }
        if (first) {
            toolkit.post([shared] {
                if (shared->pool)
                    shared->pool->collect();
            });
        }
    };
}

void SendPool::collect()
{
    std::vector<std::pair<std::uint64_t, SendResult>> batch;
    {
        const std::lock_guard lock(m_shared->mutex);
        batch.swap(m_shared->finished);
    }
    for (auto &[index, result] : batch) {
        m_early.emplace(index, std::move(result));
        --m_running;
    }

    // The places that came free are filled first: their sends need not
    // wait for the window to show the results.
    const std::shared_ptr<bool> alive = m_alive;
    fill();
    if (!*alive)
        return;
    // A copy: the handler may end the pool.
    const auto done = m_handlers.done;
    for (auto next = m_early.find(m_handedOn); !m_stopped && next != m_early.end();
         next = m_early.find(m_handedOn)) {
        const std::u16string toUser = std::move(m_underWay.front());
        const SendResult result = std::move(next->second);
        m_underWay.pop_front();
        m_early.erase(next);
        ++m_handedOn;
        if (done)
            done(toUser, result);
        if (!*alive)
            return;
    }
    finishIfDone();
}

} // namespace forms
