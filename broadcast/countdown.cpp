#include "countdown.h"

#include <cctype>
#include <charconv>
#include <cmath>
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
    if (number.empty()
        || !(std::isdigit(static_cast<unsigned char>(number.front())) || number.front() == '.'))
        return std::nullopt;
    double value = 0;
    const auto [rest, error] = std::from_chars(
        number.data(), number.data() + number.size(), value, std::chars_format::fixed);
    if (error != std::errc() || rest != number.data() + number.size() || !std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

std::u16string countText(double count)
{
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, count);
    if (error != std::errc())
        return {};
    return std::u16string(buffer, end);
}

} // namespace crier
