// One received message as it lies in the spool and in a user's store: a few
// header lines, a blank line, then the text.
//
//     Quillbox-Record: 1
//     From: SENDER
//     To: DESTINATION
//     Received: 2026-12-08T20:24:00Z
//     Length: 6
//
//     Grüße
//
// Header values are bytes with every control byte, DEL and "%" written as
// %XX, so that no value can end its line early.  The text follows the blank
// line byte for byte and ends the file; Length counts its bytes, so that a
// cut-off record is recognised.  Standard C++ only: quillbox-deliver writes
// records and must start in a moment.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace record {

// smbd hands over at most about 1,600 bytes; anything far larger did not
// come from it.
inline constexpr std::size_t maxTextBytes = 64 * 1024;
// Longer sender and destination names are cut to this many bytes.
inline constexpr std::size_t maxNameBytes = 256;
// The largest record that format() writes.
inline constexpr std::size_t maxRecordBytes = maxTextBytes + 4 * maxNameBytes;

struct Record
{
    std::string sender;
    std::string destination;
    std::int64_t received = 0; // seconds since the epoch, UTC
    std::string text; // the bytes as smbd wrote them

    bool operator==(const Record &) const = default;
};

enum class Problem {
    None,
    NotARecord, // the first line is not a record's
    BadHeader, // a header line that cannot be read, or one missing or repeated
    Truncated, // fewer text bytes than Length says
    TrailingBytes, // more text bytes than Length says
    TooLarge, // the text is over maxTextBytes
};

struct Parsed
{
    Record record;
    Problem problem = Problem::None;

    bool ok() const { return problem == Problem::None; }
};

// The bytes of a record.  Names longer than maxNameBytes are cut there (never
// inside a %XX); the text is kept whole.
std::string format(const Record &record);
Parsed parse(std::string_view bytes);

// "2026-12-08T20:24:00Z" and back; nullopt for anything else.
std::string formatUtc(std::int64_t seconds);
std::optional<std::int64_t> parseUtc(std::string_view text);

// Record files are named after the moment of their delivery, so that their
// names sort in the order the messages arrived:
//     20261208T202400.123456789Z-4242.msg
// (UTC, nanoseconds, the delivering process), with "_N" before ".msg" when
// that name was taken.  Every other name in a spool is not a record.
std::string recordName(std::int64_t seconds, long nanoseconds, long pid, unsigned attempt = 0);
bool isRecordName(std::string_view name);
// The second a record name was given in; nullopt when it is not one.
std::optional<std::int64_t> timeOfName(std::string_view name);

} // namespace record
