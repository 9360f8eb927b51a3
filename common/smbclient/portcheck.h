// A cheap look at a host before an smbclient is spent on it: does its port
// 139 take a TCP connection?  smbclient -M connects there and nowhere else,
// so a host that refuses or never answers is one smbclient fails on too.
#pragma once

#include <chrono>
#include <cstdint>
#include <stop_token>
#include <string_view>

namespace smbclient {

enum class PortAnswer {
    Accepted, // the connection was made (and closed again)
    Refused, // the host answered with a reset
    Unreachable, // no route to the host or its network
    Silent, // no answer within the time given
    Stopped, // a stop was requested while waiting
    Unknown, // something else went wrong: let smbclient find out
};

// Connects to port of a dotted IPv4 address and waits at most timeout for
// the answer; Unknown for any other text.
PortAnswer checkPort(std::string_view address, std::uint16_t port,
    std::chrono::milliseconds timeout, std::stop_token stop = {});

} // namespace smbclient
