// Text converted to the dos charset and back.  The first byte picks the
// set; the rest is UTF-16 in the machine's order (a last odd byte is
// dropped).
#include "fuzzcheck.h"
#include "smbclient/wirecharset.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace {

// DOS and Windows code pages that receivers use, the DBCS ones of East Asia
// among them.
const std::array<std::string, 12> charsets = {"CP850", "CP437", "CP852", "CP866", "CP1252",
    "CP1250", "CP932", "CP936", "CP949", "CP950", "ASCII", "ISO-8859-15"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string &charset = charsets[data[0] % charsets.size()];
    ++data;
    --size;

    std::u16string text(size / 2, u'\0');
    std::memcpy(text.data(), data, text.size() * sizeof(char16_t));

    // Whatever toWire accepts comes back as it was.
    if (const auto wire = smbclient::toWire(text, charset)) {
        FUZZ_CHECK(text.find(u'\0') == std::u16string::npos);
        const auto back = smbclient::fromWire(*wire, charset);
        FUZZ_CHECK(back.has_value());
        FUZZ_CHECK(*back == text);
    }

    // Any bytes at all: read as the set, or refused, never a crash.
    (void)smbclient::fromWire(
        std::string_view(reinterpret_cast<const char *>(data), size), charset);
    return 0;
}
