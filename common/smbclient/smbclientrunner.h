// Sends one message with Samba's "smbclient -M".  Used by kvoll and by the
// POSIX side of BroadcastMessage, so that all three programs start smbclient
// the same way and judge its result by the same rules.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

namespace smbclient {

enum class Outcome {
    Delivered, // smbclient ended with 0 and reported no refusal
    CouldNotStart, // no process could be started (not on PATH, not executable)
    Failed, // non-zero exit, a signal, the receiver dropped the message, no
            // answer on port 139, the deadline passed, or the send was stopped
    TooLong, // longer than the protocol carries; nothing was started
    Unrepresentable, // a character the wire set cannot hold, or U+0000;
                     // nothing was started
};

struct Result
{
    Outcome outcome;
    // What smbclient wrote on its standard error, and why the runner ended
    // the send when it did.
    std::string diagnostics;
};

// smbclient turns every LF into CR LF and silently cuts the message after this
// many bytes.
inline constexpr std::size_t maxWireBytes = 1598;

// smbclient gives up on a peer that takes the connection and never answers
// after about 20 s; a run still going well after that hangs, and is ended.
inline constexpr std::chrono::milliseconds defaultDeadline {45000};

// smbclient waits about 5.0 s for a connection to port 139 (measured with a
// dropped SYN); the check before it waits a second longer, so that a host it
// gives up on is one that smbclient would have given up on as well.
inline constexpr std::chrono::milliseconds portCheckTimeout {6000};

struct Options
{
    const char *program = "smbclient";
    // After this long the run's process group is killed and the send fails.
    std::chrono::milliseconds deadline = defaultDeadline;
    // For an address in dotted IPv4 form, first see whether port 139 takes
    // a connection: refused, unreachable or silent until portCheckTimeout
    // fail the send at once, without an smbclient.  Names go to smbclient.
    bool checkPort = false;
    // A stop requested here kills the run's process group (or keeps it
    // from starting); the send fails.
    std::stop_token stop;
};

// The number of bytes smbclient puts on the wire for this standard input
// (already in the wire character set).
std::size_t wireLength(std::string_view input);

// TooLong or Unrepresentable when sendMessage would refuse this standard
// input whatever the address; nothing when it can go.
std::optional<Outcome> checkMessage(std::u16string_view message);

// Converts the address and the message to the wire character set
// (wireCharset()), then runs `program --option=unix charset=SET -M address`
// without a shell, with SET that same set, so that smbclient passes both on
// unchanged; writes the message to its standard input and waits for it to
// end.  Nothing is added to the message.  Its standard output (a prompt) is
// dropped; its standard error is passed on to ours and kept in
// Result::diagnostics.  smbclient runs in a process group of its own, which
// is killed when the deadline passes or a stop is requested.  Blocks until
// then; safe to call from several threads at once.
Result sendMessage(
    std::u16string_view address, std::u16string_view message, const Options &options);
Result sendMessage(
    std::u16string_view address, std::u16string_view message, const char *program = "smbclient");

} // namespace smbclient
