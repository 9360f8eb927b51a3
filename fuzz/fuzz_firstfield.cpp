// The first field of Quillpost.ini.  Each byte is one character (Latin-1).
#include "fuzzcheck.h"
#include "settingsfile.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::u16string text(data, data + size);
    const std::u16string field = quillpost::firstField(text);

    // The field is a piece of the text.
    FUZZ_CHECK(field.size() <= text.size());
    FUZZ_CHECK(text.find(field) != std::u16string::npos);

    const std::size_t start = text.find_first_not_of(u" \t\r\n");
    if (start == std::u16string::npos) {
        FUZZ_CHECK(field.empty());
    } else if (text[start] == u'"') {
        // Quoted: runs from after the quote up to the next one.
        FUZZ_CHECK(field.find(u'"') == std::u16string::npos);
        FUZZ_CHECK(text.compare(start + 1, field.size(), field) == 0);
    } else {
        // Plain: from the first character that is not blank, up to a comma
        // or a line break (empty when a comma comes first).
        FUZZ_CHECK(text.compare(start, field.size(), field) == 0);
        FUZZ_CHECK(field.find_first_of(u",\r\n") == std::u16string::npos);
        const std::size_t stop = start + field.size();
        FUZZ_CHECK(stop == text.size() || text[stop] == u',' || text[stop] == u'\r'
            || text[stop] == u'\n');
    }
    return 0;
}
