// Whole-file reading and writing on POSIX systems.  Standard C++ and POSIX
// only; paths are the bytes handed to the file system.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace fileio {

// Writes bytes to a new file beside path and renames it over path, so that
// the previous file stays whole when anything fails.  A new file gets 0666
// less the umask; an existing regular file keeps its permission bits; a
// symbolic link is written through to its target.  False when the file could
// not be written.
bool replaceAtomically(const std::string &path, std::string_view bytes);

// The whole content of the file at path; nullopt when it cannot be opened or
// read (a directory included).
std::optional<std::string> readWhole(const std::string &path);

} // namespace fileio
