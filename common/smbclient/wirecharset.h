// The character set in which a message travels.  The message protocol carries
// 8-bit text in the receiver's DOS code page, and smbclient puts its own
// `dos charset` on the wire; so that every character arrives as typed, the
// programs convert the address and the message to that set themselves and
// refuse what it cannot hold.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace smbclient {

// smbclient's dos charset when its configuration names none.
inline constexpr std::string_view defaultDosCharset = "CP850";

// The dos charset that smbclient takes from this smb.conf text: the
// `dos charset` of the [global] section (or of the lines before the first
// section), names compared as Samba does, ignoring case and blanks; lines
// whose first character is '#' or ';' are comments, a backslash at the end of
// a line continues it.  defaultDosCharset when the text names none, names an
// empty one, or names UTF-8 (which Samba refuses for this setting).
std::string dosCharsetIn(std::string_view smbConf);

// The smb.conf smbclient reads: SMB_CONF_PATH, or the system's one.
std::string smbConfPath();

// The set the programs convert to for the smb.conf at this path (an absent
// file names none).  A set that iconv does not know is replaced by ASCII, as
// smbclient itself replaces it.
std::string wireCharsetOf(const std::string &smbConfPath);

// wireCharsetOf(smbConfPath()), read at the first call and kept for the rest
// of the process.
const std::string &wireCharset();

// The text in the given set; nothing when it holds a character the set cannot
// represent exactly, or U+0000 (which neither an argument nor the protocol's
// strings can carry).
std::optional<std::string> toWire(std::u16string_view text, const std::string &charset);

// Bytes of the given set as text; nothing when they are not valid in it.
std::optional<std::u16string> fromWire(std::string_view bytes, const std::string &charset);

} // namespace smbclient
