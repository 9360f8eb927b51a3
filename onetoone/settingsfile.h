// The settings file of Quillpost, "Quillpost.ini": plain text whose first
// comma-separated field presets the recipient.  The program only reads it.
#pragma once

#include "system.h"

#include <string>

namespace quillpost {

// The first field of the text, by the rules of comma-separated input:
// spaces, tabs and line breaks in front of it are skipped; a field that
// begins with a double quote runs to the next double quote (or to the end of
// the text, less its final line break, when no quote follows) and the quotes
// are dropped; any other field ends at the first comma or line break, and
// spaces at its end belong to it.
std::u16string firstField(const std::u16string &text);

// Where the settings file lives: in the program's folder (beside the
// executable on Windows, the user's settings folder elsewhere).
std::u16string settingsFilePath(forms::System &system);

// The first field of the file at path; empty when the file cannot be read.
std::u16string readFirstField(forms::System &system, const std::u16string &path);

} // namespace quillpost
