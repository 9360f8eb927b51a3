// What Quillbox shows of received bytes: whatever they are, no control
// character other than tab and line feed, and no character that hides or
// reorders text, reaches the screen.
#include "displaytext.h"
#include "fuzzcheck.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    for (const quillbox::Lines lines : {quillbox::Lines::Kept, quillbox::Lines::Shown}) {
        const QString shown = quillbox::visibleText(bytes, lines);
        for (qsizetype i = 0; i < shown.size(); ++i) {
            char32_t c = shown.at(i).unicode();
            if (QChar::isHighSurrogate(c) && i + 1 < shown.size()) {
                c = QChar::surrogateToUcs4(shown.at(i), shown.at(i + 1));
                ++i;
            }
            const bool lineBreak = c == u'\t' || c == u'\n';
            FUZZ_CHECK(c >= 0x20 || (lineBreak && lines == quillbox::Lines::Kept));
            FUZZ_CHECK(c != 0x7f && !quillbox::isHiddenCharacter(c));
            FUZZ_CHECK(!QChar::isSurrogate(c));
        }
    }
    return 0;
}
