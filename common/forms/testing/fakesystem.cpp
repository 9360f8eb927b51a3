#include "fakesystem.h"

#include <algorithm>
#include <utility>

namespace fakes {

// Runs each send as it is asked for, or holds it for the test.
class Workers : public forms::SendWorkers
{
public:
    explicit Workers(System &system) : m_system(system) { }

    void send(forms::SendRequest request, std::stop_token stop,
        std::function<void(SendResult)> done) override
    {
        if (m_system.holdSends) {
            m_system.m_held.push_back({std::move(request), std::move(stop), std::move(done)});
            return;
        }
        done(m_system.sendMessage(request.toUser, request.message, stop));
    }

private:
    System &m_system;
};

System::System(const System &other) : forms::System()
{
    *this = other;
}

System &System::operator=(const System &other)
{
    name = other.name;
    folder = other.folder;
    refused = other.refused;
    unsendable = other.unsendable;
    sends = other.sends;
    started = other.started;
    duringSend = other.duringSend;
    holdSends = other.holdSends;
    workerCount = other.workerCount;
    m_held = other.m_held;
    return *this;
}

SendResult System::sendMessage(
    const std::u16string &toUser, const std::u16string &message, std::stop_token stop)
{
    if (stop.stop_requested())
        return {SendOutcome::Failed, "stopped before it began"};
    const Send send {toUser, message};
    bool accepted = false;
    {
        const std::lock_guard lock(m_mutex);
        sends.push_back(send);
        accepted = refused.count(toUser) == 0;
    }
    if (duringSend)
        duringSend(send);
    if (!accepted)
        return {SendOutcome::Failed, "refused by the stand-in"};
    return {SendOutcome::Delivered, {}};
}

std::optional<SendOutcome> System::checkMessage(const std::u16string &message)
{
    const auto found = unsendable.find(message);
    if (found == unsendable.end())
        return std::nullopt;
    return found->second;
}

std::unique_ptr<forms::SendWorkers> System::startWorkers(int count)
{
    workerCount = count;
    return std::make_unique<Workers>(*this);
}

std::vector<forms::SendRequest> System::held() const
{
    std::vector<forms::SendRequest> requests;
    for (const Held &send : m_held)
        requests.push_back(send.request);
    return requests;
}

void System::complete(std::size_t position)
{
    Held send = std::move(m_held.at(position));
    m_held.erase(m_held.begin() + static_cast<std::ptrdiff_t>(position));
    send.done(sendMessage(send.request.toUser, send.request.message, send.stop));
}

void System::complete(const std::u16string &toUser)
{
    const auto found = std::find_if(m_held.begin(), m_held.end(),
        [&](const Held &send) { return send.request.toUser == toUser; });
    complete(static_cast<std::size_t>(found - m_held.begin()));
}

} // namespace fakes
