#include "wirecharset.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include <iconv.h>

namespace smbclient {

namespace {

// Where Debian's Samba looks when SMB_CONF_PATH is not set.
constexpr const char *systemSmbConf = "/etc/samba/smb.conf";

constexpr const char *nativeUtf16
    = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

bool isBlank(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

char folded(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// Samba matches section and parameter names ignoring case and every blank:
// "DOS  Charset" and "doscharset" both name `dos charset`.
bool sameName(std::string_view a, std::string_view b)
{
    for (std::size_t i = 0, j = 0;;) {
        while (i < a.size() && isBlank(a[i]))
            ++i;
        while (j < b.size() && isBlank(b[j]))
            ++j;
        if (i == a.size() || j == b.size())
            return i == a.size() && j == b.size();
        if (folded(a[i++]) != folded(b[j++]))
            return false;
    }
}

bool equalIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (folded(a[i]) != folded(b[i]))
            return false;
    }
    return true;
}

// One logical line from pos on: a backslash just before a line end joins the
// next line to it.
std::string logicalLine(std::string_view text, std::size_t &pos)
{
    std::string line;
    for (;;) {
        const std::size_t end = text.find('\n', pos);
        std::string_view piece = text.substr(pos, end == std::string_view::npos ? end : end - pos);
        pos = end == std::string_view::npos ? text.size() : end + 1;
        const bool continued = end != std::string_view::npos && piece.ends_with('\\');
        if (continued)
            piece.remove_suffix(1);
        line.append(piece);
        if (!continued)
            return line;
    }
}

// Converts with iconv; nothing when the input is not valid in `from`, holds a
// character that `to` lacks, or would only be approximated (iconv counts
// those as irreversible).
template<typename Output>
std::optional<Output> convert(const char *to, const char *from, std::string_view input)
{
    const iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;

    using Unit = typename Output::value_type;
    std::string bytes(input.size() * 2 + 16, '\0');
    char *in = const_cast<char *>(input.data());
    std::size_t inLeft = input.size();
    std::size_t done = 0;
    bool ok = true;
    for (bool flushing = false;;) {
        char *out = bytes.data() + done;
        std::size_t outLeft = bytes.size() - done;
        // A last call without input writes a stateful set's closing shift.
        const std::size_t rc = flushing ? iconv(cd, nullptr, nullptr, &out, &outLeft)
                                        : iconv(cd, &in, &inLeft, &out, &outLeft);
        done = static_cast<std::size_t>(out - bytes.data());
        if (rc == static_cast<std::size_t>(-1) && errno == E2BIG) {
            bytes.resize(bytes.size() * 2);
            continue;
        }
        if (rc != 0) { // EILSEQ, EINVAL, or an approximation
            ok = false;
            break;
        }
        if (flushing)
            break;
        flushing = true;
    }
    iconv_close(cd);
    if (!ok || done % sizeof(Unit) != 0)
        return std::nullopt;
    Output result(done / sizeof(Unit), Unit());
    std::copy_n(bytes.data(), done, reinterpret_cast<char *>(result.data()));
    return result;
}

} // namespace

std::string dosCharsetIn(std::string_view smbConf)
{
    std::string named;
    bool inGlobal = true; // settings before the first section are global ones
    for (std::size_t pos = 0; pos < smbConf.size();) {
        if (isBlank(smbConf[pos])) {
            ++pos;
            continue;
        }
        if (smbConf[pos] == '#' || smbConf[pos] == ';') {
            const std::size_t end = smbConf.find('\n', pos);
            pos = end == std::string_view::npos ? smbConf.size() : end + 1;
            continue;
        }
        const std::string text = logicalLine(smbConf, pos);
        const std::string_view line = trimmed(text);
        if (line.empty())
            continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            const std::string_view section = close == std::string_view::npos
                ? std::string_view()
                : trimmed(line.substr(1, close - 1));
            // Samba stops reading at a broken section header; what came
            // before it stays in force.
            if (section.empty())
                break;
            inGlobal = sameName(section, "global") || sameName(section, "globals");
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue; // a name without a value sets nothing
        const std::string_view name = trimmed(line.substr(0, equals));
        if (name.empty())
            break; // an error for Samba, as above
        if (inGlobal && sameName(name, "dos charset"))
            named = trimmed(line.substr(equals + 1));
    }
    if (named.empty() || equalIgnoringCase(named, "UTF8") || equalIgnoringCase(named, "UTF-8"))
        return std::string(defaultDosCharset);
    return named;
}

std::string smbConfPath()
{
    const char *path = std::getenv("SMB_CONF_PATH");
    return path ? path : systemSmbConf;
}

std::string wireCharsetOf(const std::string &smbConfPath)
{
    std::ifstream file(smbConfPath, std::ios::binary);
    const std::string text(std::istreambuf_iterator<char>(file), {});
    const std::string charset = dosCharsetIn(text);
    const iconv_t cd = iconv_open(charset.c_str(), nativeUtf16);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return "ASCII";
    iconv_close(cd);
    return charset;
}

const std::string &wireCharset()
{
    static const std::string charset = wireCharsetOf(smbConfPath());
    return charset;
}

std::optional<std::string> toWire(std::u16string_view text, const std::string &charset)
{
    if (text.find(u'\0') != std::u16string_view::npos)
        return std::nullopt;
    const std::string_view units(
        reinterpret_cast<const char *>(text.data()), text.size() * sizeof(char16_t));
    auto bytes = convert<std::string>(charset.c_str(), nativeUtf16, units);
    // Some sets give a look-alike's bytes without calling it an
    // approximation (CP932 sends "¬" as the full-width "￢"): only bytes that
    // read back as the text arrive as typed.
    if (bytes) {
        const auto back = fromWire(*bytes, charset);
        if (!back || *back != text)
            return std::nullopt;
    }
    return bytes;
}

std::optional<std::u16string> fromWire(std::string_view bytes, const std::string &charset)
{
    return convert<std::u16string>(nativeUtf16, charset.c_str(), bytes);
}

} // namespace smbclient
