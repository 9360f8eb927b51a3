#include "localecodec.h"

#include <cerrno>

#include <iconv.h>
#include <langinfo.h>

namespace kvoll {

namespace {

std::optional<QByteArray> convert(const char *to, const char *from, const QByteArray &input)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;

    QByteArray output(input.size() * 4 + 16, Qt::Uninitialized);
    char *in = const_cast<char *>(input.constData());
    std::size_t inLeft = static_cast<std::size_t>(input.size());
    std::size_t done = 0;
    bool ok = true;
    for (bool flushing = false;;) {
        char *out = output.data() + done;
        std::size_t outLeft = static_cast<std::size_t>(output.size()) - done;
        // A second pass with no input writes a stateful encoding's closing shift.
        const std::size_t rc = flushing ? iconv(cd, nullptr, nullptr, &out, &outLeft)
                                        : iconv(cd, &in, &inLeft, &out, &outLeft);
        done = static_cast<std::size_t>(out - output.data());
        if (rc != static_cast<std::size_t>(-1)) {
            if (flushing)
                break;
            flushing = true;
            continue;
        }
        if (errno != E2BIG) { // EILSEQ or EINVAL: not representable, or cut off
            ok = false;
            break;
        }
        output.resize(output.size() * 2);
    }
    iconv_close(cd);
    if (!ok)
        return std::nullopt;
    output.truncate(static_cast<qsizetype>(done));
    return output;
}

} // namespace

std::optional<QByteArray> toLocale(const QString &text)
{
    return convert(nl_langinfo(CODESET), "UTF-8", text.toUtf8());
}

std::optional<QString> fromLocale(const QByteArray &bytes)
{
    const auto utf8 = convert("UTF-8", nl_langinfo(CODESET), bytes);
    if (!utf8)
        return std::nullopt;
    return QString::fromUtf8(*utf8);
}

} // namespace kvoll
