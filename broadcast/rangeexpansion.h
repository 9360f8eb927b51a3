// The address book of Crier names hosts and ranges of dotted addresses.  An
// entry with a "-" is a range: "10.0.0.1-10.0.0.9" stands for nine hosts.
#pragma once

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

// The largest number a range may hold.
inline constexpr int maxRangeNumber = 32767;

} // namespace crier
