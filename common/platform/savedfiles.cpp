#include "savedfiles.h"

#include "ini/ini.h"

namespace savedfiles {

namespace {

// The length of the line break at text[i], 0 when there is none: CR LF, a
// lone CR and a lone LF each count as one.
std::size_t lineBreakAt(std::u16string_view text, std::size_t i)
{
    if (text[i] == u'\r')
        return i + 1 < text.size() && text[i + 1] == u'\n' ? 2 : 1;
    return text[i] == u'\n' ? 1 : 0;
}

// The first line break of a file's bytes, empty when it has none.
std::u16string firstLineBreak(std::string_view bytes)
{
    const std::size_t at = bytes.find_first_of("\r\n");
    if (at == std::string_view::npos)
        return {};
    if (bytes[at] == '\n')
        return u"\n";
    return at + 1 < bytes.size() && bytes[at + 1] == '\n' ? u"\r\n" : u"\r";
}

std::u16string withLineBreaks(std::u16string_view text, std::u16string_view lineBreak)
{
    std::u16string result;
    result.reserve(text.size() + text.size() / 8);
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = lineBreakAt(text, i);
        if (length == 0) {
            result.push_back(text[i++]);
            continue;
        }
        result.append(lineBreak);
        i += length;
    }
    return result;
}

} // namespace

std::optional<std::string> settingsFile(
    std::string_view before, const std::vector<ProfileValue> &values, const Encode &encode)
{
    std::string file(before);
    for (const ProfileValue &v : values) {
        const auto section = encode(v.section);
        const auto key = encode(v.key);
        const auto value = encode(v.value);
        if (!section || !key || !value || !ini::storable(*section, *key, *value))
            return std::nullopt;
        file = ini::write(file, *section, *key, ini::readableForm(*value));
        // What the rules of the file make of it must be the value itself:
        // a later key of the same name in another spelling, for one, would
        // not be read.
        if (ini::read(file, *section, *key) != *value || file.size() > largestFile)
            return std::nullopt;
    }
    return file;
}

std::optional<std::string> textFile(
    const std::string *before, const std::u16string &text, const Encode &encode)
{
    const std::u16string lineBreak = before ? firstLineBreak(*before) : std::u16string();
    auto bytes = encode(lineBreak.empty() ? text : withLineBreaks(text, lineBreak));
    if (bytes && bytes->size() > largestFile)
        return std::nullopt;
    return bytes;
}

bool save(const FileAccess &files, const std::optional<std::u16string> &profilePath,
    const std::vector<ProfileValue> &values, const std::optional<std::u16string> &textPath,
    const std::u16string &text)
{
    std::vector<NewContent> changed;
    if (profilePath) {
        const Current current = files.read(*profilePath);
        if (current.state == Current::Unusable)
            return false;
        auto bytes = settingsFile(current.bytes, values, files.encode);
        if (!bytes)
            return false;
        if (current.state == Current::Missing || *bytes != current.bytes)
            changed.push_back({*profilePath, std::move(*bytes)});
    }
    if (textPath) {
        const Current current = files.read(*textPath);
        if (current.state == Current::Unusable)
            return false;
        // Read up to 64 MiB: the bytes are compared where they lie, not
        // copied.  Bytes that already hold the text are kept as they are.
        const std::string *before = current.state == Current::Present ? &current.bytes : nullptr;
        if (!before || !SameText(files.decode(*before), text)) {
            auto bytes = textFile(before, text, files.encode);
            if (!bytes)
                return false;
            if (!before || *bytes != *before)
                changed.push_back({*textPath, std::move(*bytes)});
        }
    }
    return changed.empty() || files.replace(changed);
}

} // namespace savedfiles

// platform.h's SameText, the rule the saves compare texts by.
bool SameText(std::u16string_view a, std::u16string_view b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const std::size_t breakA = savedfiles::lineBreakAt(a, i);
        const std::size_t breakB = savedfiles::lineBreakAt(b, j);
        if ((breakA == 0) != (breakB == 0) || (breakA == 0 && a[i] != b[j]))
            return false;
        i += breakA == 0 ? 1 : breakA;
        j += breakB == 0 ? 1 : breakB;
    }
    return i == a.size() && j == b.size();
}
