// The message text between the editor and the send routine.
#pragma once

#include <QString>

namespace quillon {

// The message from the raw text of the message editor: paragraph and line
// separators become lineBreak, every other character stays as typed.
QString messageFromEditor(const QString &rawText, const QString &lineBreak);

// The part of text that an editor can take when it holds held characters
// (UTF-16 units, line breaks counting one), of which replaced are about to
// be replaced, and may hold at most limit: the whole text when it fits,
// otherwise its longest beginning that fits without splitting a surrogate
// pair.
QString fittingPart(const QString &text, qsizetype held, qsizetype replaced, qsizetype limit);

} // namespace quillon
