#include "settingsfile.h"

namespace quillpost {

namespace {

bool isLineBreak(char16_t c)
{
    return c == u'\r' || c == u'\n';
}

} // namespace

std::u16string firstField(const std::u16string &text)
{
    std::size_t pos = 0;
    const std::size_t end = text.size();
    while (pos < end && (text[pos] == u' ' || text[pos] == u'\t' || isLineBreak(text[pos])))
        ++pos;
    if (pos == end)
        return {};

    if (text[pos] == u'"') {
        ++pos;
        const std::size_t close = text.find(u'"', pos);
        if (close != std::u16string::npos)
            return text.substr(pos, close - pos);
        // No closing quote: the rest of the text is the field, but the line
        // break that ends the file is not part of it.
        std::size_t last = end;
        if (last > pos && text[last - 1] == u'\n')
            --last;
        if (last > pos && text[last - 1] == u'\r')
            --last;
        return text.substr(pos, last - pos);
    }

    std::size_t stop = pos;
    while (stop < end && text[stop] != u',' && !isLineBreak(text[stop]))
        ++stop;
    return text.substr(pos, stop - pos);
}

std::u16string settingsFilePath(forms::System &system)
{
    return system.addSlash(system.programFolder()) + u"Quillpost.ini";
}

std::u16string readFirstField(forms::System &system, const std::u16string &path)
{
    const auto text = system.readTextFile(path);
    return text ? firstField(*text) : std::u16string();
}

} // namespace quillpost
