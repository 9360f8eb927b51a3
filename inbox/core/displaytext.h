// Received bytes as text to show.  Anyone on the network can send anything:
// characters that would hide or reorder what is shown are made visible
// instead of being interpreted.
#pragma once

#include "record.h"

#include <QLocale>
#include <QString>

#include <string_view>

namespace quillbox {

enum class Lines {
    Kept, // tabs and line feeds stay (the text of a message)
    Shown, // tabs and line feeds are shown as well (a name in a one-line header)
};

// UTF-8 with every invalid sequence as U+FFFD.  C0 controls and DEL become
// the control pictures U+2400 to U+2421; C1 controls, the bidirectional
// marks, embeddings, overrides and isolates, zero-width and invisible
// characters, line and paragraph separators and the tag characters become
// \u{HEX}.
QString visibleText(std::string_view bytes, Lines lines = Lines::Kept);

// Whether a character (a code point) is shown as \u{HEX}.
bool isHiddenCharacter(char32_t c);

// "From SENDER to DESTINATION, DATE TIME": the time received in local time,
// in the locale's short date and time formats.
QString headerLine(const record::Record &message, const QLocale &locale = QLocale());

} // namespace quillbox
