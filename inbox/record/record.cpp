#include "record.h"

#include <chrono>
#include <cstdio>

namespace record {

namespace {

constexpr std::string_view magic = "Quillbox-Record: 1\n";
constexpr char hexDigits[] = "0123456789ABCDEF";

bool mustEscape(unsigned char c)
{
    return c < 0x20 || c == 0x7f || c == '%';
}

void appendEscaped(std::string &out, std::string_view value)
{
    std::size_t written = 0;
    for (const char ch : value) {
        const auto c = static_cast<unsigned char>(ch);
        const std::size_t size = mustEscape(c) ? 3 : 1;
        if (written + size > maxNameBytes)
            break;
        written += size;
        if (size == 1) {
            out += ch;
        } else {
            out += '%';
            out += hexDigits[c >> 4];
            out += hexDigits[c & 0xf];
        }
    }
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::optional<std::string> unescaped(std::string_view value)
{
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        const auto c = static_cast<unsigned char>(value[i]);
        if (c < 0x20 || c == 0x7f)
            return std::nullopt;
        if (c != '%') {
            out += value[i];
            continue;
        }
        if (i + 2 >= value.size())
            return std::nullopt;
        const int high = hexValue(value[i + 1]);
        const int low = hexValue(value[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

// Digits only, exactly as many as the view holds; nullopt otherwise.
std::optional<std::int64_t> number(std::string_view digits, std::size_t maxDigits = 18)
{
    if (digits.empty() || digits.size() > maxDigits)
        return std::nullopt;
    std::int64_t value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<std::int64_t> secondsOf(
    int year, int month, int day, int hour, int minute, int second)
{
    using namespace std::chrono;
    const year_month_day date {std::chrono::year(year), std::chrono::month(unsigned(month)),
        std::chrono::day(unsigned(day))};
    if (!date.ok() || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    const sys_seconds time = sys_days(date) + hours(hour) + minutes(minute) + seconds(second);
    return time.time_since_epoch().count();
}

struct Fields
{
    int year, month, day, hour, minute, second;
};

Fields fieldsOf(std::int64_t secondsSinceEpoch)
{
    using namespace std::chrono;
    const sys_seconds time {seconds(secondsSinceEpoch)};
    const sys_days days = floor<std::chrono::days>(time);
    const year_month_day date(days);
    const hh_mm_ss clock(time - days);
    return {int(date.year()), int(unsigned(date.month())), int(unsigned(date.day())),
        int(clock.hours().count()), int(clock.minutes().count()), int(clock.seconds().count())};
}

// "YYYYMMDDTHHMMSS" of a record name, or the "YYYY-MM-DDTHH:MM:SS" of a
// header: the digits at the given offsets.
std::optional<std::int64_t> timeFrom(std::string_view text, const std::size_t (&offsets)[6])
{
    const std::size_t widths[6] = {4, 2, 2, 2, 2, 2};
    int values[6];
    for (int i = 0; i < 6; ++i) {
        const auto value = number(text.substr(offsets[i], widths[i]), widths[i]);
        if (!value || text.substr(offsets[i], widths[i]).size() != widths[i])
            return std::nullopt;
        values[i] = int(*value);
    }
    return secondsOf(values[0], values[1], values[2], values[3], values[4], values[5]);
}

} // namespace

std::string format(const Record &record)
{
    std::string out;
    out.reserve(record.text.size() + 128);
    out += magic;
    out += "From: ";
    appendEscaped(out, record.sender);
    out += "\nTo: ";
    appendEscaped(out, record.destination);
    out += "\nReceived: ";
    out += formatUtc(record.received);
    out += "\nLength: ";
    out += std::to_string(record.text.size());
    out += "\n\n";
    out += record.text;
    return out;
}

Parsed parse(std::string_view bytes)
{
    Parsed parsed;
    if (bytes.substr(0, magic.size()) != magic) {
        parsed.problem = Problem::NotARecord;
        return parsed;
    }
    bytes.remove_prefix(magic.size());

    bool haveFrom = false, haveTo = false, haveReceived = false;
    std::optional<std::int64_t> length;
    for (;;) {
        const std::size_t end = bytes.find('\n');
        if (end == std::string_view::npos) {
            parsed.problem = Problem::Truncated;
            return parsed;
        }
        const std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end + 1);
        if (line.empty())
            break;
        const std::size_t colon = line.find(": ");
        if (colon == std::string_view::npos || colon == 0) {
            parsed.problem = Problem::BadHeader;
            return parsed;
        }
        const std::string_view name = line.substr(0, colon);
        const std::string_view value = line.substr(colon + 2);
        bool ok = true;
        if (name == "From" && !haveFrom) {
            const auto text = unescaped(value);
            ok = haveFrom = text.has_value();
            if (ok)
                parsed.record.sender = *text;
        } else if (name == "To" && !haveTo) {
            const auto text = unescaped(value);
            ok = haveTo = text.has_value();
            if (ok)
                parsed.record.destination = *text;
        } else if (name == "Received" && !haveReceived) {
            const auto time = parseUtc(value);
            ok = haveReceived = time.has_value();
            if (ok)
                parsed.record.received = *time;
        } else if (name == "Length" && !length) {
            length = number(value, 9);
            ok = length.has_value();
        } else if (name == "From" || name == "To" || name == "Received" || name == "Length") {
            ok = false; // said twice
        }
        // Other headers are left to later versions that know them.
        if (!ok) {
            parsed.problem = Problem::BadHeader;
            return parsed;
        }
    }
    if (!haveFrom || !haveTo || !haveReceived || !length) {
        parsed.problem = Problem::BadHeader;
        return parsed;
    }
    const auto size = static_cast<std::size_t>(*length);
    if (size > maxTextBytes)
        parsed.problem = Problem::TooLarge;
    else if (bytes.size() < size)
        parsed.problem = Problem::Truncated;
    else if (bytes.size() > size)
        parsed.problem = Problem::TrailingBytes;
    else
        parsed.record.text.assign(bytes);
    return parsed;
}

std::string formatUtc(std::int64_t seconds)
{
    const Fields f = fieldsOf(seconds);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02dZ", f.year, f.month, f.day,
        f.hour, f.minute, f.second);
    return buffer;
}

std::optional<std::int64_t> parseUtc(std::string_view text)
{
    // 2026-12-08T20:24:00Z
    if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':'
        || text[16] != ':' || text[19] != 'Z')
        return std::nullopt;
    return timeFrom(text, {0, 5, 8, 11, 14, 17});
}

std::string recordName(std::int64_t seconds, long nanoseconds, long pid, unsigned attempt)
{
    const Fields f = fieldsOf(seconds);
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%04d%02d%02dT%02d%02d%02d.%09ldZ-%ld", f.year, f.month,
        f.day, f.hour, f.minute, f.second, nanoseconds, pid);
    std::string name = buffer;
    if (attempt > 0)
        name += '_' + std::to_string(attempt); // "_" sorts after the "." of ".msg"
    return name + ".msg";
}

std::optional<std::int64_t> timeOfName(std::string_view name)
{
    // 20261208T202400.123456789Z-4242[_N].msg
    constexpr std::size_t fixed = 26; // up to and with the Z
    if (name.size() < fixed + 6 || name[8] != 'T' || name[15] != '.' || name[25] != 'Z'
        || name[26] != '-' || name.substr(name.size() - 4) != ".msg")
        return std::nullopt;
    if (!number(name.substr(16, 9), 9))
        return std::nullopt;
    std::string_view rest = name.substr(fixed + 1, name.size() - fixed - 1 - 4);
    const std::size_t mark = rest.find('_');
    if (!number(rest.substr(0, mark), 10))
        return std::nullopt;
    if (mark != std::string_view::npos && !number(rest.substr(mark + 1), 5))
        return std::nullopt;
    return timeFrom(name, {0, 4, 6, 9, 11, 13});
}

bool isRecordName(std::string_view name)
{
    return timeOfName(name).has_value();
}

} // namespace record
