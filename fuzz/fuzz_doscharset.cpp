// The dos charset named by an smb.conf text.
#include "fuzzcheck.h"
#include "smbclient/wirecharset.h"

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

bool equalIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i]))
            != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string conf(reinterpret_cast<const char *>(data), size);
    const std::string charset = smbclient::dosCharsetIn(conf);

    // Always a name, never UTF-8, never with blanks around it.
    FUZZ_CHECK(!charset.empty());
    FUZZ_CHECK(!equalIgnoringCase(charset, "UTF-8") && !equalIgnoringCase(charset, "UTF8"));
    FUZZ_CHECK(!std::isspace(static_cast<unsigned char>(charset.front())));
    FUZZ_CHECK(!std::isspace(static_cast<unsigned char>(charset.back())));
    FUZZ_CHECK(charset.find('\n') == std::string::npos);

    // The lines before the first section are global ones already: a
    // [global] header in front changes nothing.
    FUZZ_CHECK(smbclient::dosCharsetIn("[global]\n" + conf) == charset);

    // Settings of another section after the text change nothing either
    // (unless the text's last line continues onto them).
    if (!conf.ends_with('\\'))
        FUZZ_CHECK(
            smbclient::dosCharsetIn(conf + "\n[printers]\ndos charset = CP437\n") == charset);
    return 0;
}
