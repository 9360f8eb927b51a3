// The message text between the editor and the send routine.
#pragma once

#include <QString>

namespace quillon {

// The message from the raw text of the message editor: paragraph and line
// separators become lineBreak, every other character stays as typed.
QString messageFromEditor(const QString &rawText, const QString &lineBreak);

// The line break of the platform's own multi-line text boxes: CR LF on
// Windows, LF elsewhere.
QString nativeLineBreak();

} // namespace quillon
