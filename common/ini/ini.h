// Reading and writing one value of an INI file, the way the Windows
// private-profile functions do it, over the file's bytes in memory.
//
// A section starts at a line whose first non-blank character is '[' and that
// holds a ']'; its name lies between the '[' and the last ']'.  A key line is
// any other line that holds '=' and does not start (after blanks) with ';'.
// Keys in front of the first section header belong to the section "".  Lines
// end at LF, CR LF or a lone CR.  Blanks are spaces and tabs.  Standard C++
// only, so that it builds for Windows as well.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ini {

// The value stored under key in section: the whole value (no length cut),
// with leading and trailing blanks removed, then one pair of enclosing
// matching quotes ("..." or '...') removed; nullopt when the section or the
// key is absent.  Section and key names match ignoring ASCII case and
// surrounding blanks; the first matching section and first matching key win;
// lines without '=' are not keys; ';' starts a comment line only at the start
// of a line (no inline comments).
std::optional<std::string> read(
    std::string_view file, std::string_view section, std::string_view key);

// The file with the value stored: replaces the value of the first existing
// key (keeping its spelling, the bytes before the '=', the blanks after it
// unless the value starts with blanks itself, and the line end), or
// adds `key=value` after the last key line of the section (after its header
// when it has none), or appends `[section]` and the key at the end of the
// file when the section is missing.  Every other byte of the file stays as it
// was.  New lines end with the file's own line end (CR LF when it has none
// yet); a file without a final line end gets one before an appended line.
// Names are written without surrounding blanks.
//
// The value is written as given, so reading it back gives it less its outer
// blanks and one pair of enclosing quotes: "  x  " comes back as "x" and
// "\"q\"" as "q", as on Windows.  A value that would not fit on one line
// (see storable) is cut at its first line break.
std::string write(
    std::string_view file, std::string_view section, std::string_view key, std::string_view value);

// What to hand to write so that read gives value back whole: value itself,
// or, when reading would take outer blanks or a pair of enclosing quotes
// from it, value inside one more pair of double quotes (read takes off one
// pair, after the blanks).  The Windows profile functions read it the same.
std::string readableForm(std::string_view value);

// Whether write can store value under key in section so that read finds it
// again: no line break or NUL in any of the three, names that are not empty
// (less their blanks), no '=' in the key, and a key that does not begin like
// a comment or a section header.
bool storable(std::string_view section, std::string_view key, std::string_view value);

} // namespace ini
