// The address-book entry of Crier, expanded into hosts.  Each byte is one
// character (Latin-1), which is all the parser looks at: digits, '.', '-'
// and blanks.
#include "fuzzcheck.h"
#include "rangeexpansion.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

namespace {

// The prefixes the entry's pieces can give: everything up to and including
// the last '.' of each piece between dashes.
std::set<std::u16string> piecePrefixes(const std::u16string &entry)
{
    std::set<std::u16string> prefixes;
    std::size_t start = 0;
    for (;;) {
        const std::size_t dash = entry.find(u'-', start);
        const std::u16string piece = entry.substr(start, dash - start);
        const std::size_t dot = piece.rfind(u'.');
        if (dot != std::u16string::npos)
            prefixes.insert(piece.substr(0, dot + 1));
        if (dash == std::u16string::npos)
            break;
        start = dash + 1;
    }
    return prefixes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // Every piece may stand for 32,768 hosts: longer entries only cost memory.
    if (size > 96)
        return 0;
    const std::u16string entry(data, data + size);
    const crier::Expansion expansion = crier::expandEntry(entry);

    const auto dashes = std::size_t(std::count(entry.begin(), entry.end(), u'-'));
    if (dashes == 0) {
        FUZZ_CHECK(expansion.failures == 0);
        FUZZ_CHECK(expansion.hosts.size() == 1 && expansion.hosts.front() == entry);
        return 0;
    }

    const std::size_t pieces = dashes + 1;
    FUZZ_CHECK(expansion.failures >= 0 && std::size_t(expansion.failures) <= pieces);
    FUZZ_CHECK(expansion.hosts.size() <= (pieces - 1) * (crier::maxRangeNumber + 1));

    const std::set<std::u16string> prefixes = piecePrefixes(entry);
    for (const std::u16string &host : expansion.hosts) {
        // prefix + number: the prefix ends with the piece's last '.', the
        // number is plain decimal, without leading zeros, within range.
        const std::size_t dot = host.rfind(u'.');
        FUZZ_CHECK(dot != std::u16string::npos);
        FUZZ_CHECK(prefixes.count(host.substr(0, dot + 1)) == 1);
        const std::u16string digits = host.substr(dot + 1);
        FUZZ_CHECK(!digits.empty() && digits.size() <= 5);
        FUZZ_CHECK(digits.size() == 1 || digits.front() != u'0');
        long number = 0;
        for (const char16_t c : digits) {
            FUZZ_CHECK(c >= u'0' && c <= u'9');
            number = number * 10 + (c - u'0');
        }
        FUZZ_CHECK(number <= crier::maxRangeNumber);
    }
    return 0;
}
