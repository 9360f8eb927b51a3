#include "countdown.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace crier {

int OnlyNumeric(int KeyAscii)
{
    if (KeyAscii == 8)
        return 8;
    if (KeyAscii >= '0' && KeyAscii <= '9')
        return KeyAscii;
    return 0;
}

std::optional<double> readCount(const std::u16string &text)
{
    std::string ascii;
    for (const char16_t c : text) {
        if (c > 0x7f)
            return std::nullopt;
        ascii.push_back(static_cast<char>(c));
    }
    const std::size_t begin = ascii.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return std::nullopt;
    const std::size_t end = ascii.find_last_not_of(" \t") + 1;
    std::string_view number(ascii.data() + begin, end - begin);
    // from_chars takes no "+"; a sign of either kind is the number's own.
    bool negative = false;
    if (!number.empty() && (number.front() == '+' || number.front() == '-')) {
        negative = number.front() == '-';
        number.remove_prefix(1);
    }
    // Digits with at most one point, and at least one digit: no exponent,
    // no hexadecimal, no "inf".  (std::from_chars for double would do the
    // same and add its 200 KB of tables to the Windows program.)
    int digits = 0;
    int points = 0;
    for (const char c : number) {
        if (std::isdigit(static_cast<unsigned char>(c)))
            ++digits;
        else if (c == '.')
            ++points;
        else
            return std::nullopt;
    }
    if (digits == 0 || points > 1)
        return std::nullopt;
    // The programs never change the C locale: the point is ".".
    const std::string checked(number);
    const double value = std::strtod(checked.c_str(), nullptr);
    if (!std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

std::u16string countText(double count)
{
    // The fewest decimals that read back as the same number, without an
    // exponent; a number that needs one more than that gets it.
    char buffer[512] = {};
    for (int decimals = 0; decimals <= 17; ++decimals) {
        std::snprintf(buffer, sizeof buffer, "%.*f", decimals, count);
        if (std::strtod(buffer, nullptr) == count)
            return std::u16string(buffer, buffer + std::char_traits<char>::length(buffer));
    }
    std::snprintf(buffer, sizeof buffer, "%.17g", count);
    return std::u16string(buffer, buffer + std::char_traits<char>::length(buffer));
}

} // namespace crier
