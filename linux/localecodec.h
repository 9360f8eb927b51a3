// Conversion between Unicode and the multibyte encoding of the current locale
// (the character set nl_langinfo(CODESET) names).  Qt's own local 8-bit
// conversion is always UTF-8, so iconv does the work; a character that the
// locale cannot represent, or bytes that are not valid in it, fail the whole
// conversion rather than being replaced.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace kvoll {

std::optional<QByteArray> toLocale(const QString &text);
std::optional<QString> fromLocale(const QByteArray &bytes);

} // namespace kvoll
