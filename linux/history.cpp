#include "history.h"

#include "localecodec.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cwctype>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kvoll::history {

QByteArray filePath(const char *home)
{
    QByteArray path(home ? home : "");
    if (!path.endsWith('/'))
        path += '/';
    return path + ".kvoll";
}

QStringList parse(const QString &text)
{
    QStringList entries;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c != u'\n' && c != u'\r')
            continue;
        entries.append(text.sliced(start, i - start));
        if (c == u'\r' && i + 1 < size && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        entries.append(text.sliced(start));
    return entries;
}

QString serialize(const QStringList &entries)
{
    QString text;
    qsizetype size = 0;
    for (const QString &entry : entries)
        size += entry.size() + 1;
    text.reserve(size);
    for (const QString &entry : entries) {
        text += entry;
        text += u'\n';
    }
    return text;
}

namespace {

std::wstring upperCase(const QString &text)
{
    std::wstring wide = text.toStdWString();
    for (wchar_t &c : wide)
        c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    return wide;
}

bool readAll(int fd, QByteArray &data)
{
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        data.append(buffer, n);
    }
}

bool writeAll(int fd, const QByteArray &data)
{
    const char *p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<std::size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        left -= n;
    }
    return true;
}

// Saving through a symbolic link writes its target, as writing in place would.
QByteArray resolvedTarget(const QByteArray &path)
{
    struct stat st;
    if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char *real = ::realpath(path.constData(), nullptr);
    if (!real)
        return path;
    QByteArray target(real);
    std::free(real);
    return target;
}

} // namespace

qsizetype indexOf(const QStringList &entries, const QString &address)
{
    const std::wstring wanted = upperCase(address);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (std::wcscoll(upperCase(entries.at(i)).c_str(), wanted.c_str()) == 0)
            return i;
    }
    return -1;
}

LoadResult load(const QByteArray &path)
{
    if (::euidaccess(path.constData(), F_OK) != 0)
        return {LoadStatus::Missing, {}};

    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {LoadStatus::Unusable, {}};
    QByteArray data;
    const bool ok = readAll(fd, data); // a directory fails here with EISDIR
    ::close(fd);
    if (!ok)
        return {LoadStatus::Unusable, {}};

    const qsizetype nul = data.indexOf('\0');
    if (nul >= 0)
        data.truncate(nul);
    const auto text = fromLocale(data);
    if (!text)
        return {LoadStatus::Unusable, {}};
    return {LoadStatus::Loaded, parse(*text)};
}

bool save(const QByteArray &path, const QStringList &entries)
{
    if (entries.isEmpty())
        return true;
    const auto bytes = toLocale(serialize(entries));
    if (!bytes)
        return false;

    const QByteArray target = resolvedTarget(path);
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary = target + ".tmp" + QByteArray::number(::getpid()) + '-' + QByteArray::number(attempt);
        // 0666 less the umask, as for any new file of the user's.
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;

    // A file the user has made private stays private.
    struct stat st;
    if (::stat(target.constData(), &st) == 0 && S_ISREG(st.st_mode))
        ::fchmod(fd, st.st_mode & 07777);

    bool ok = writeAll(fd, *bytes) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temporary.constData(), target.constData()) == 0;
    if (!ok)
        ::unlink(temporary.constData());
    return ok;
}

} // namespace kvoll::history
