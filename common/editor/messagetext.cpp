#include "messagetext.h"

namespace quillon {

QString messageFromEditor(const QString &rawText, const QString &lineBreak)
{
    // Work on the raw text, not on toPlainText(): that one also turns
    // no-break spaces into ordinary spaces, and the message must travel as
    // typed.
    QString message;
    message.reserve(rawText.size());
    for (const QChar c : rawText) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            message += lineBreak;
        else
            message += c;
    }
    return message;
}

QString fittingPart(const QString &text, qsizetype held, qsizetype replaced, qsizetype limit)
{
    const qsizetype room = qMax<qsizetype>(0, limit - (held - replaced));
    if (text.size() <= room)
        return text;
    qsizetype cut = room;
    if (cut > 0 && text.at(cut - 1).isHighSurrogate() && text.at(cut).isLowSurrogate())
        --cut;
    return text.left(cut);
}

} // namespace quillon
