// The address history: one address per line in ".kvoll" in the home folder,
// in the locale's encoding.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kvoll::history {

// HOME with a "/" appended unless it ends in one, then ".kvoll"; an unset or
// empty HOME gives "/.kvoll".  Kept as bytes: it goes to the file system as is.
QByteArray filePath(const char *home);

// Cuts text into entries.  A line ends at LF, CR or CR LF; a last line without
// an end still counts; an end at the very end adds no empty entry.
QStringList parse(const QString &text);

// Every entry followed by one LF.
QString serialize(const QStringList &entries);

// Index of the first entry equal to address ignoring letter case (towupper,
// then the locale's collation), or -1.
qsizetype indexOf(const QStringList &entries, const QString &address);

enum class LoadStatus {
    // Nothing at the path, or a link to nothing: the first save creates it.
    Missing,
    Loaded,
    // There, but not loaded whole: it must never be written over.
    Unusable,
};

// Why a file could not be loaded whole, or could not be saved.
enum class Problem {
    None,
    // The system refused; the error is the errno.
    System,
    // A folder, FIFO, device ...: never opened.
    NotAFile,
    // Larger than maxFileSize: never read.
    TooLarge,
    // Bytes that are not valid in the locale's encoding; on saving, an
    // address that the encoding cannot hold.
    NotText,
    // A NUL byte: the entries before it are loaded.
    HoldsNul,
};

// Files beyond this size are not loaded.
inline constexpr qsizetype maxFileSize = qsizetype(64) * 1024 * 1024;

struct LoadResult
{
    LoadStatus status = LoadStatus::Missing;
    QStringList entries;
    Problem problem = Problem::None;
    int error = 0;
};

// Reads the whole file.  Something at the path (lstat) that is not a
// readable regular file of valid text without NUL bytes is Unusable; its
// entries are those before a NUL, or none.
LoadResult load(const QByteArray &path);

struct SaveResult
{
    Problem problem = Problem::None;
    int error = 0;

    bool ok() const { return problem == Problem::None; }
};

// Writes the entries to a temporary file beside path and renames it over path,
// so a failed save leaves the previous file whole; a link is written through
// to its target, which is created when missing.  An empty list writes nothing.
SaveResult save(const QByteArray &path, const QStringList &entries);

} // namespace kvoll::history
