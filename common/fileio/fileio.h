// Whole-file reading and writing on POSIX systems.  Standard C++ and POSIX
// only; paths are the bytes handed to the file system.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fileio {

// The largest file that readFile reads by default.  The programs' files are
// a few kilobytes; a link to something huge must not exhaust the memory.
inline constexpr std::size_t maxFileSize = std::size_t(64) * 1024 * 1024;

enum class ReadFailure {
    None,
    System, // stat, open or read failed; errorNumber says why (ENOENT: missing)
    NotAFile, // not a regular file once links are followed: a folder, FIFO, device
    TooLarge, // larger than the limit
};

struct FileContent
{
    std::string bytes;
    ReadFailure failure = ReadFailure::None;
    int errorNumber = 0;

    bool ok() const { return failure == ReadFailure::None; }
};

// The whole content of the regular file at path, at most limit bytes.  What
// is not a regular file is not even opened, so a FIFO cannot block and a
// device cannot be read without end.
FileContent readFile(const std::string &path, std::size_t limit = maxFileSize);

// readFile's bytes; nullopt whenever it fails.
std::optional<std::string> readWhole(const std::string &path);

// Writes bytes to a new file beside path and renames it over path, so that
// the previous file stays whole when anything fails.  A new file gets 0666
// less the umask; an existing regular file keeps its permission bits; a
// symbolic link is written through to its target, which is created when the
// link dangles.  An existing file that the user may not write, or one that
// is not a regular file, is not replaced.  False when the file could not be
// written; *error then holds the errno that says why.
bool replaceAtomically(const std::string &path, std::string_view bytes, int *error = nullptr);

// One file's new content for replaceTogether.
struct Replacement
{
    std::string path;
    std::string_view bytes;
};

// Replaces several files, each as replaceAtomically does, all or none: every
// new content is written beside its target first, and only when all are
// written are they renamed over their targets.  Until then the previous
// files are kept under a second name (a hard link), so that a rename that
// fails puts back those already replaced.  False when the files could not be
// replaced; *error then holds the errno that says why, and every file is as
// it was (a file system without hard links cannot put a replaced file back,
// if a rename fails after the first).
bool replaceTogether(const std::vector<Replacement> &files, int *error = nullptr);

} // namespace fileio
