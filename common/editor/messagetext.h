// The message text between the editor and the send routine.
#pragma once

#include <QString>

namespace quillon {

// The message from the raw text of the message editor: paragraph and line
// separators become lineBreak, every other character stays as typed.
QString messageFromEditor(const QString &rawText, const QString &lineBreak);

} // namespace quillon
