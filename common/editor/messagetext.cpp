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

} // namespace quillon
