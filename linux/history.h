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
    Missing, // nothing at the path: the first save creates the file
    Loaded,
    Unusable, // there but unreadable or not in the locale's encoding
};

struct LoadResult
{
    LoadStatus status = LoadStatus::Missing;
    QStringList entries;
};

// Reads the whole file; whatever follows a NUL byte is ignored.
LoadResult load(const QByteArray &path);

// Writes the entries to a temporary file beside path and renames it over path,
// so a failed save leaves the previous file whole.  An empty list writes
// nothing.  Returns false when the file could not be written.
bool save(const QByteArray &path, const QStringList &entries);

} // namespace kvoll::history
