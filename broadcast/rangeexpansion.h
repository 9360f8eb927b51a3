// The address book of Crier names hosts and ranges of dotted addresses.  An
// entry with a "-" is a range: "10.0.0.1-10.0.0.9" stands for nine hosts.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace crier {

struct Expansion
{
    std::vector<std::u16string> hosts;
    // How many pieces of the entry could not be read: each gives one
    // "ERROR - " line naming the entry.
    int failures = 0;
};

// The hosts an address-book entry stands for, in order.
//
// An entry without "-" is one host, as it stands.  Otherwise it is split at
// every "-"; each piece is a prefix up to and including its last "." and a
// number after it.  The first piece gives the first number; each later piece
// gives a last number and adds its own prefix followed by every number from
// the first to the last (none when the first is greater).  A piece without a
// dot, with a number that does not read, or with a number above 32,767 is a
// failure and the steps that need its number add nothing.
Expansion expandEntry(const std::u16string &entry);

// The same hosts, unwritten: a prefix with a span of numbers stands for the
// prefix followed by each of them; without numbers it is one host as it
// stands.  A book of ranges is millions of hosts, but only a few spans.
struct HostSpan
{
    std::u16string prefix;
    bool numbered = false;
    int first = 0;
    int last = -1;
};

struct EntryPlan
{
    std::vector<HostSpan> spans;
    int failures = 0;
};

EntryPlan planEntry(const std::u16string &entry);

// The hosts of a book, one at a time in book order, written only as they
// are asked for.
class BookHosts
{
public:
    BookHosts() = default;
    explicit BookHosts(std::vector<EntryPlan> plans);

    // The next host, or nothing after the last.
    std::optional<std::u16string> next();

private:
    std::vector<EntryPlan> m_plans;
    std::size_t m_entry = 0;
    std::size_t m_span = 0;
    int m_number = 0;
    bool m_inSpan = false;
};

// The largest number a range may hold.
inline constexpr int maxRangeNumber = 32767;

} // namespace crier
