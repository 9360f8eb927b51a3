// UTF-8 file text to UTF-16 and back, without losing a byte: a byte that is
// not part of valid UTF-8 (Latin-1 left by another program, say) becomes the
// lone surrogate U+DC80 + (byte - 0x80), and goes back to that byte on the
// way out.  So bytes that the program did not change are written back as
// they were read.  Standard C++ only.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace utf8text {

// The text of bytes; never fails.
std::u16string decode(std::string_view bytes);

// The bytes of text, so that decode gives text back; nullopt when text holds
// a surrogate that decode would not have made (a lone one outside
// U+DC80..U+DCFF).  encode(decode(b)) == b for any bytes b.
std::optional<std::string> encode(std::u16string_view text);

} // namespace utf8text
