#include "displaytext.h"

#include <QDateTime>

namespace quillbox {

bool isHiddenCharacter(char32_t c)
{
    return (c >= 0x80 && c <= 0x9f) // C1 controls
        || c == 0x061c // Arabic letter mark
        || c == 0x180e // Mongolian vowel separator
        || c == 0x200b // zero-width space (the joiners U+200C, U+200D shape scripts and emoji)
        || c == 0x200e || c == 0x200f // left-to-right and right-to-left marks
        || (c >= 0x2028 && c <= 0x202e) // line and paragraph separators; embeddings, overrides
        || (c >= 0x2060 && c <= 0x206f) // word joiner, invisible operators, isolates
        || c == 0xfeff // zero-width no-break space
        || (c >= 0xfff9 && c <= 0xfffb) // interlinear annotation
        || (c >= 0xe0000 && c <= 0xe007f); // tag characters
}

QString visibleText(std::string_view bytes, Lines lines)
{
    const QString decoded = QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    QString shown;
    shown.reserve(decoded.size());
    for (qsizetype i = 0; i < decoded.size(); ++i) {
        char32_t c = decoded.at(i).unicode();
        const bool pair = QChar::isHighSurrogate(c) && i + 1 < decoded.size()
            && decoded.at(i + 1).isLowSurrogate();
        if (pair)
            c = QChar::surrogateToUcs4(decoded.at(i).unicode(), decoded.at(i + 1).unicode());
        const bool keptBreak = lines == Lines::Kept && (c == u'\t' || c == u'\n');
        if (c < 0x20 && !keptBreak) {
            shown += QChar(char16_t(0x2400 + c));
        } else if (c == 0x7f) {
            shown += QChar(char16_t(0x2421));
        } else if (isHiddenCharacter(c)) {
            shown += QStringLiteral("\\u{") + QString::number(uint(c), 16).toUpper() + u'}';
        } else {
            shown += decoded.at(i);
            if (pair)
                shown += decoded.at(i + 1);
        }
        if (pair)
            ++i;
    }
    return shown;
}

QString headerLine(const record::Record &message, const QLocale &locale)
{
    const QDateTime received = QDateTime::fromSecsSinceEpoch(message.received).toLocalTime();
    return QStringLiteral("From %1 to %2, %3 %4")
        .arg(visibleText(message.sender, Lines::Shown),
            visibleText(message.destination, Lines::Shown),
            locale.toString(received.date(), QLocale::ShortFormat),
            locale.toString(received.time(), QLocale::ShortFormat));
}

} // namespace quillbox
