#include "countdown.h"

#include <algorithm>
#include <cctype>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

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
    bool negative = false;
    if (!number.empty() && (number.front() == '+' || number.front() == '-')) {
        negative = number.front() == '-';
        number.remove_prefix(1);
    }
    // Digits with at most one point, and at least one digit: no exponent,
    // no hexadecimal, no "inf".  Read here rather than by strtod: Qt sets the
    // user's locale at start, whose decimal point may be a comma.
    // All digits make one whole number, divided once by the power of ten
    // of the decimals: "1.15" is 115 / 100, the double nearest to 1.15.
    double digitsValue = 0;
    double divisor = 1;
    int digits = 0;
    bool point = false;
    for (const char c : number) {
        if (c == '.' && !point) {
            point = true;
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            ++digits;
            digitsValue = digitsValue * 10 + (c - '0');
            if (point)
                divisor *= 10;
        } else {
            return std::nullopt;
        }
    }
    const double value = digitsValue / divisor;
    if (digits == 0 || !std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

namespace {

// The text as written in the C locale: the user's locale, which Qt sets at
// start, may write the decimal point as a comma.
std::u16string withPoint(const char *text)
{
    const std::string_view point = std::localeconv()->decimal_point;
    const std::string_view written(text);
    std::u16string shown;
    for (std::size_t at = 0; at < written.size();) {
        if (!point.empty() && written.substr(at).starts_with(point)) {
            shown.push_back(u'.');
            at += point.size();
        } else {
            shown.push_back(static_cast<char16_t>(written[at++]));
        }
    }
    return shown;
}

} // namespace

std::u16string countText(double count, int maxDecimals)
{
    // The fewest decimals that read back as the same number, without an
    // exponent.  Written and read back in the same locale, so the comparison
    // holds in any.
    maxDecimals = std::clamp(maxDecimals, 0, 17);
    char buffer[512] = {};
    for (int decimals = 0; decimals <= maxDecimals; ++decimals) {
        std::snprintf(buffer, sizeof buffer, "%.*f", decimals, count);
        if (std::strtod(buffer, nullptr) == count)
            return withPoint(buffer);
    }
    // Rounded to the decimals allowed, without the zeros that end it.
    std::u16string shown = withPoint(buffer);
    if (shown.find(u'.') != std::u16string::npos) {
        while (shown.back() == u'0')
            shown.pop_back();
        if (shown.back() == u'.')
            shown.pop_back();
    }
    return shown;
}

int decimalsOf(const std::u16string &text)
{
    const std::size_t point = text.find(u'.');
    if (point == std::u16string::npos)
        return 0;
    int decimals = 0;
    for (std::size_t at = point + 1; at < text.size() && text[at] >= u'0' && text[at] <= u'9'; ++at)
        ++decimals;
    return decimals;
}

} // namespace crier
