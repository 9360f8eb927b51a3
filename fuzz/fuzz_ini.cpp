// The INI reader and writer.  The input is four fields separated by NUL
// bytes: section, key, value, then the file (which may hold NULs itself).
#include "fuzzcheck.h"
#include "ini/ini.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

std::string_view nextField(std::string_view &input)
{
    const std::size_t nul = input.find('\0');
    const std::string_view field = input.substr(0, nul);
    input = nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1);
    return field;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// What a read gives back for a written value: less its outer blanks and one
// pair of enclosing quotes.
std::string_view readBack(std::string_view value)
{
    while (!value.empty() && isBlank(value.front()))
        value.remove_prefix(1);
    while (!value.empty() && isBlank(value.back()))
        value.remove_suffix(1);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'')
        && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char *>(data), size);
    const std::string_view section = nextField(input);
    const std::string_view key = nextField(input);
    const std::string_view value = nextField(input);
    const std::string_view file = input;

    const std::optional<std::string> before = ini::read(file, section, key);
    const std::string written = ini::write(file, section, key, value);
    if (!ini::storable(section, key, value))
        return 0;

    // The value reads back.
    const std::optional<std::string> after = ini::read(written, section, key);
    FUZZ_CHECK(after && *after == readBack(value));

    // Every byte outside the written line survives: the bytes that differ
    // between the two files form one window, and what the write took out of
    // the old file in it lies inside one line (the key's old value), and
    // nothing at all when the key was new.
    std::size_t prefix = 0;
    const std::size_t shorter = std::min(file.size(), written.size());
    while (prefix < shorter && file[prefix] == written[prefix])
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < shorter - prefix
        && file[file.size() - 1 - suffix] == written[written.size() - 1 - suffix])
        ++suffix;
    const std::string_view removed = file.substr(prefix, file.size() - prefix - suffix);
    const std::string_view added
        = std::string_view(written).substr(prefix, written.size() - prefix - suffix);
    FUZZ_CHECK(removed.find_first_of("\r\n") == std::string_view::npos);
    if (!before)
        FUZZ_CHECK(removed.empty());
    // At most a header, the key line and three line ends.
    FUZZ_CHECK(added.size() <= section.size() + key.size() + value.size() + 3 + 6);

    // Writing the same value again changes nothing.
    FUZZ_CHECK(ini::write(written, section, key, value) == written);

    // In its readable form the value comes back whole.
    const std::string whole = ini::write(file, section, key, ini::readableForm(value));
    FUZZ_CHECK(ini::read(whole, section, key) == value);
    return 0;
}
