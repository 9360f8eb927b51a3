#include "rangeexpansion.h"

#include <optional>
#include <string_view>

namespace crier {

namespace {

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t';
}

// A whole number of decimal digits with blanks around it, at most
// maxRangeNumber.
std::optional<int> readNumber(std::u16string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    if (text.empty())
        return std::nullopt;
    int value = 0;
    for (const char16_t c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
        if (value > maxRangeNumber)
            return std::nullopt;
    }
    return value;
}

struct Piece
{
    std::u16string_view prefix;
    std::optional<int> number;
};

Piece readPiece(std::u16string_view piece)
{
    const std::size_t dot = piece.rfind(u'.');
    if (dot == std::u16string_view::npos)
        return {{}, std::nullopt};
    return {piece.substr(0, dot + 1), readNumber(piece.substr(dot + 1))};
}

std::u16string decimal(int number)
{
    const std::string digits = std::to_string(number);
    return std::u16string(digits.begin(), digits.end());
}

} // namespace

EntryPlan planEntry(const std::u16string &entry)
{
    EntryPlan plan;
    if (entry.find(u'-') == std::u16string::npos) {
        plan.spans.push_back({entry});
        return plan;
    }

    const std::u16string_view text(entry);
    std::optional<int> first;
    std::size_t start = 0;
    for (bool firstPiece = true;; firstPiece = false) {
        const std::size_t dash = text.find(u'-', start);
        const Piece piece = readPiece(text.substr(start, dash - start));
        if (!piece.number)
            ++plan.failures;
        if (firstPiece)
            first = piece.number;
        else if (first && piece.number && *first <= *piece.number)
            plan.spans.push_back({std::u16string(piece.prefix), true, *first, *piece.number});
        if (dash == std::u16string_view::npos)
            break;
        start = dash + 1;
    }
    return plan;
}

Expansion expandEntry(const std::u16string &entry)
{
    Expansion result;
    EntryPlan plan = planEntry(entry);
    result.failures = plan.failures;
    std::vector<EntryPlan> one;
    one.push_back(std::move(plan));
    BookHosts hosts(std::move(one));
    while (auto host = hosts.next())
        result.hosts.push_back(std::move(*host));
    return result;
}

BookHosts::BookHosts(std::vector<EntryPlan> plans) : m_plans(std::move(plans)) { }

std::optional<std::u16string> BookHosts::next()
{
    while (m_entry < m_plans.size()) {
        const std::vector<HostSpan> &spans = m_plans[m_entry].spans;
        if (m_span >= spans.size()) {
            ++m_entry;
            m_span = 0;
            continue;
        }
        const HostSpan &span = spans[m_span];
        if (!span.numbered) {
            ++m_span;
            return span.prefix;
        }
        if (!m_inSpan) {
            m_inSpan = true;
            m_number = span.first;
        }
        const int number = m_number;
        if (number >= span.last) {
            m_inSpan = false;
            ++m_span;
        } else {
            ++m_number;
        }
        return span.prefix + decimal(number);
    }
    return std::nullopt;
}

} // namespace crier
