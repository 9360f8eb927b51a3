#include "ini.h"

#include <cstddef>
#include <vector>

namespace ini {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isLineBreak(char c)
{
    return c == '\n' || c == '\r';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Names compare like the Windows profile functions compare them: blanks
// around them do not count, nor does the case of ASCII letters.
bool sameName(std::string_view a, std::string_view b)
{
    a = trimmed(a);
    b = trimmed(b);
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    }
    return true;
}

std::string_view firstLine(std::string_view text)
{
    const std::size_t end = text.find_first_of("\r\n");
    return end == std::string_view::npos ? text : text.substr(0, end);
}

struct Line
{
    enum Kind { Other, Header, Key };

    std::size_t begin = 0; // first byte
    std::size_t end = 0; // the line end, or the end of the file
    std::size_t next = 0; // first byte after the line end
    Kind kind = Other;
    std::string_view name; // of the section or the key
    std::size_t value = 0; // first byte after the '=' of a key line
};

Line classified(std::string_view file, Line line)
{
    const std::string_view text = file.substr(line.begin, line.end - line.begin);
    std::size_t lead = 0;
    while (lead < text.size() && isBlank(text[lead]))
        ++lead;
    if (lead == text.size() || text[lead] == ';')
        return line;
    if (text[lead] == '[') {
        const std::size_t close = text.rfind(']');
        if (close != std::string_view::npos && close > lead) {
            line.kind = Line::Header;
            line.name = trimmed(text.substr(lead + 1, close - lead - 1));
            return line;
        }
    }
    const std::size_t equals = text.find('=');
    if (equals != std::string_view::npos) {
        line.kind = Line::Key;
        line.name = trimmed(text.substr(0, equals));
        line.value = line.begin + equals + 1;
    }
    return line;
}

std::vector<Line> lines(std::string_view file)
{
    std::vector<Line> result;
    std::size_t begin = 0;
    while (begin < file.size()) {
        Line line;
        line.begin = begin;
        line.end = begin;
        while (line.end < file.size() && !isLineBreak(file[line.end]))
            ++line.end;
        line.next = line.end;
        if (line.next < file.size() && file[line.next++] == '\r' && line.next < file.size()
            && file[line.next] == '\n')
            ++line.next;
        result.push_back(classified(file, line));
        begin = line.next;
    }
    return result;
}

// Where a section and a key of it stand in a file.  Only the first section of
// the name counts; the lines in front of the first header form the section "".
struct Place
{
    std::vector<Line> lines;
    bool sectionFound = false;
    std::size_t header = npos; // the section's header line, npos for ""
    std::size_t key = npos; // the first line of the key
    std::size_t lastKey = npos; // the section's last key line
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);
};

Place locate(std::string_view file, std::string_view section, std::string_view key)
{
    Place place;
    place.lines = lines(file);
    bool inSection = sameName(section, {});
    place.sectionFound = inSection;
    for (std::size_t i = 0; i < place.lines.size(); ++i) {
        const Line &line = place.lines[i];
        if (line.kind == Line::Header) {
            if (inSection)
                break;
            if (sameName(line.name, section)) {
                inSection = true;
                place.sectionFound = true;
                place.header = i;
            }
        } else if (line.kind == Line::Key && inSection) {
            place.lastKey = i;
            if (place.key == Place::npos && sameName(line.name, key))
                place.key = i;
        }
    }
    return place;
}

std::string_view lineEndOf(std::string_view file)
{
    const std::size_t at = file.find_first_of("\r\n");
    if (at == std::string_view::npos)
        return "\r\n";
    if (file[at] == '\n')
        return "\n";
    return at + 1 < file.size() && file[at + 1] == '\n' ? "\r\n" : "\r";
}

} // namespace

std::optional<std::string> read(
    std::string_view file, std::string_view section, std::string_view key)
{
    const Place place = locate(file, section, key);
    if (place.key == Place::npos)
        return std::nullopt;
    const Line &line = place.lines[place.key];
    std::string_view value = trimmed(file.substr(line.value, line.end - line.value));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'')
        && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

std::string write(
    std::string_view file, std::string_view section, std::string_view key, std::string_view value)
{
    section = trimmed(firstLine(section));
    key = trimmed(firstLine(key));
    value = firstLine(value);
    const std::string_view lineEnd = lineEndOf(file);
    const Place place = locate(file, section, key);
    std::string result;
    result.reserve(file.size() + section.size() + key.size() + value.size() + 8);

    if (place.key != Place::npos) {
        // The key's spelling and the blanks in front of the value stay,
        // unless the value brings blanks of its own: writing it again must
        // not change the file.
        const Line &line = place.lines[place.key];
        std::size_t at = line.value;
        if (value.empty() || !isBlank(value.front())) {
            while (at < line.end && isBlank(file[at]))
                ++at;
        }
        result.append(file.substr(0, at));
        result.append(value);
        result.append(file.substr(line.end));
        return result;
    }

    const std::string entry = std::string(key) + '=' + std::string(value) + std::string(lineEnd);
    if (place.sectionFound) {
        const std::size_t after = place.lastKey != Place::npos ? place.lastKey : place.header;
        if (after == Place::npos) {
            // The section "" without keys: its first key opens the file.
            return entry + std::string(file);
        }
        const Line &line = place.lines[after];
        result.append(file.substr(0, line.next));
        if (line.next == line.end)
            result.append(lineEnd);
        result.append(entry);
        result.append(file.substr(line.next));
        return result;
    }

    result.append(file);
    if (!file.empty() && !isLineBreak(file.back()))
        result.append(lineEnd);
    result.append("[").append(section).append("]").append(lineEnd);
    result.append(entry);
    return result;
}

std::string readableForm(std::string_view value)
{
    const bool enclosed = value.size() >= 2 && (value.front() == '"' || value.front() == '\'')
        && value.back() == value.front();
    if (!enclosed && trimmed(value).size() == value.size())
        return std::string(value);
    return '"' + std::string(value) + '"';
}

bool storable(std::string_view section, std::string_view key, std::string_view value)
{
    const auto oneLine = [](std::string_view text) {
        return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
    };
    if (!oneLine(section) || !oneLine(key) || !oneLine(value))
        return false;
    const std::string_view name = trimmed(key);
    return !trimmed(section).empty() && !name.empty() && name.find('=') == std::string_view::npos
        && name.front() != ';' && name.front() != '[';
}

} // namespace ini
