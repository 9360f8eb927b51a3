// Sends one message with Samba's "smbclient -M".  Used by kvoll and by the
// POSIX side of BroadcastMessage, so that all three programs start smbclient
// the same way and judge its result by the same rules.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace smbclient {

enum class Outcome {
    Delivered, // smbclient ended with 0 and reported no refusal
    CouldNotStart, // no process could be started (not on PATH, not executable)
    Failed, // non-zero exit, a signal, or the receiver dropped the message
    TooLong, // longer than the protocol carries; nothing was started
    Unrepresentable, // a character the wire set cannot hold, or U+0000;
                     // nothing was started
};

struct Result
{
    Outcome outcome;
    std::string diagnostics; // what smbclient wrote on its standard error
};

// smbclient turns every LF into CR LF and silently cuts the message after this
// many bytes.
inline constexpr std::size_t maxWireBytes = 1598;

// The number of bytes smbclient puts on the wire for this standard input
// (already in the wire character set).
std::size_t wireLength(std::string_view input);

// Converts the address and the message to the wire character set
// (wireCharset()), then runs `program --option=unix charset=SET -M address`
// without a shell, with SET that same set, so that smbclient passes both on
// unchanged; writes the message to its standard input and waits for it to
// end.  Nothing is added to the message.  Its standard output (a prompt) is
// dropped; its standard error is passed on to ours and kept in
// Result::diagnostics.  Blocks for as long as smbclient takes; it has
// time-outs of its own.
Result sendMessage(
    std::u16string_view address, std::u16string_view message, const char *program = "smbclient");

} // namespace smbclient
