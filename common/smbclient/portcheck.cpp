#include "portcheck.h"

#include "posix/descriptor.h"
#include <cerrno>
#include <string>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace smbclient {

namespace {

bool parse(std::string_view text, in_addr &address)
{
    // inet_pton takes only the four-part form; inet_aton would also take
    // "10.1" or "0x7f.1", which are names to smbclient.
    if (text.size() > 15)
        return false;
    const std::string copy(text);
    return ::inet_pton(AF_INET, copy.c_str(), &address) == 1;
}

PortAnswer fromError(int error)
{
    switch (error) {
    case 0:
        return PortAnswer::Accepted;
    case ECONNREFUSED:
        return PortAnswer::Refused;
    case EHOSTUNREACH:
    case ENETUNREACH:
        return PortAnswer::Unreachable;
    case ETIMEDOUT:
        return PortAnswer::Silent;
    default:
        return PortAnswer::Unknown;
    }
}

} // namespace

PortAnswer checkPort(std::string_view address, std::uint16_t port,
    std::chrono::milliseconds timeout, std::stop_token stop)
{
    sockaddr_in peer {};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    if (!parse(address, peer.sin_addr))
        return PortAnswer::Unknown;

    const posix::Descriptor socket(
        ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    const posix::Descriptor wake(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
    if (socket.get() < 0 || wake.get() < 0)
        return PortAnswer::Unknown;
    const std::stop_callback onStop(stop, [fd = wake.get()] {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(fd, &one, sizeof one);
    });

    if (::connect(socket.get(), reinterpret_cast<const sockaddr *>(&peer), sizeof peer) == 0)
        return PortAnswer::Accepted;
    if (errno != EINPROGRESS)
        return fromError(errno);

    const auto until = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            until - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return PortAnswer::Silent;
        pollfd fds[] = {{socket.get(), POLLOUT, 0}, {wake.get(), POLLIN, 0}};
        const int ready = ::poll(fds, 2, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            return PortAnswer::Unknown;
        if (fds[1].revents)
            return PortAnswer::Stopped;
        if (fds[0].revents) {
            int error = 0;
            socklen_t size = sizeof error;
            if (::getsockopt(socket.get(), SOL_SOCKET, SO_ERROR, &error, &size) != 0)
                return PortAnswer::Unknown;
            return fromError(error);
        }
    }
}

} // namespace smbclient
