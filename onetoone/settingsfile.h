// The settings file of Quillpost, "Quillpost.ini": plain text whose first
// comma-separated field presets the recipient.  The program only reads it.
#pragma once

#include <QByteArray>
#include <QString>

namespace quillpost {

// The first field of the text, by the rules of comma-separated input:
// spaces, tabs and line breaks in front of it are skipped; a field that
// begins with a double quote runs to the next double quote (or to the end of
// the text, less its final line break, when no quote follows) and the quotes
// are dropped; any other field ends at the first comma or line break, and
// spaces at its end belong to it.
QString firstField(const QString &text);

// The first field of the file at path, read as 8-bit text in the system's
// code page; empty when the file cannot be read.
QString readFirstField(const QString &path);

// Where the settings file lives: beside the executable on Windows; on other
// systems in the user's settings folder for the application name, because a
// program installed under /usr cannot keep files beside itself.
QString settingsFilePath();

} // namespace quillpost
