// The count box of Crier: what it lets through from the keyboard, and how
// its text reads as a number.
#pragma once

#include <optional>
#include <string>

namespace crier {

// The key filter of the count box: backspace (8) and the digits pass, every
// other character code becomes 0, which drops the key.
int OnlyNumeric(int KeyAscii);

// The text as a number: an optional sign, digits with an optional "." and
// fraction, blanks around it allowed.  Pasted text may hold fractions.
std::optional<double> readCount(const std::u16string &text);

// The number in its shortest decimal form with at most maxDecimals
// decimals: "59", "1.5".  The countdown keeps the decimals of the count it
// read, so that 3.3 counts down to 1.3 and not to 1.2999999999999998.
std::u16string countText(double count, int maxDecimals = 17);

// How many digits follow the decimal point in a count's text.
int decimalsOf(const std::u16string &text);

} // namespace crier
