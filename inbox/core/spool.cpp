#include "spool.h"
#include "store.h"

#include "posix/descriptor.h"
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillbox {

namespace {

QString problemText(record::Problem problem)
{
    switch (problem) {
    case record::Problem::None:
        return {};
    case record::Problem::NotARecord:
        return QStringLiteral("is not a message record");
    case record::Problem::BadHeader:
        return QStringLiteral("has a damaged header");
    case record::Problem::Truncated:
        return QStringLiteral("is cut short");
    case record::Problem::TrailingBytes:
        return QStringLiteral("has bytes after its text");
    case record::Problem::TooLarge:
        return QStringLiteral("is too large");
    }
    return {};
}

} // namespace

std::string spoolPath()
{
    const char *path = std::getenv(spoolVariable);
    return path && *path ? std::string(path) : std::string("/var/spool/quillbox");
}

QString userName(uid_t user)
{
    if (const passwd *entry = ::getpwuid(user))
        return QString::fromLocal8Bit(entry->pw_name);
    return QString::number(user);
}

QString refusal(mode_t mode, uid_t owner, uid_t spoolOwner)
{
    if (S_ISLNK(mode))
        return QStringLiteral("is a symbolic link");
    if (!S_ISREG(mode))
        return QStringLiteral("is not a regular file");
    if (owner != spoolOwner && owner != 0)
        return QStringLiteral("belongs to %1, not to %2")
            .arg(userName(owner), userName(spoolOwner));
    return {};
}

Spool::Spool(std::string path) : m_path(std::move(path)) { }

SpoolListing Spool::list() const
{
    SpoolListing listing;
    DIR *folder = ::opendir(m_path.c_str());
    if (!folder) {
        listing.error = errno;
        return listing;
    }
    while (const dirent *entry = ::readdir(folder)) {
        if (record::isRecordName(entry->d_name))
            listing.names.emplace_back(entry->d_name);
    }
    ::closedir(folder);
    std::sort(listing.names.begin(), listing.names.end());
    return listing;
}

SpoolRecord Spool::read(const std::string &name) const
{
    SpoolRecord result;
    const posix::Descriptor folder(::open(m_path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat st;
    if (folder.get() < 0 || ::fstat(folder.get(), &st) != 0) {
        result.problem = QStringLiteral("cannot be read: %1").arg(systemErrorText(errno));
        return result;
    }
    const uid_t spoolOwner = st.st_uid;

    // Looked at before it is opened, so that a FIFO or a device is never
    // opened; looked at again once open, in case it was swapped meanwhile.
    if (::fstatat(folder.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        result.problem = QStringLiteral("cannot be read: %1").arg(systemErrorText(errno));
        return result;
    }
    result.problem = refusal(st.st_mode, st.st_uid, spoolOwner);
    if (!result.problem.isEmpty())
        return result;
    const posix::Descriptor file(::openat(
        folder.get(), name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0 || ::fstat(file.get(), &st) != 0) {
        result.problem = errno == ELOOP
            ? QStringLiteral("is a symbolic link")
            : QStringLiteral("cannot be read: %1").arg(systemErrorText(errno));
        return result;
    }
    result.problem = refusal(st.st_mode, st.st_uid, spoolOwner);
    if (!result.problem.isEmpty())
        return result;
    if (std::size_t(st.st_size) > record::maxRecordBytes) {
        result.problem = QStringLiteral("is too large");
        return result;
    }

    result.bytes.resize(std::size_t(st.st_size) + 1);
    std::size_t have = 0;
    for (;;) {
        const ssize_t n
            = ::read(file.get(), result.bytes.data() + have, result.bytes.size() - have);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            result.problem = QStringLiteral("cannot be read: %1").arg(systemErrorText(errno));
            return result;
        }
        have += std::size_t(n);
        if (n == 0 || have == result.bytes.size())
            break;
    }
    // One byte more than its size was asked for: a file that grew is not a
    // finished record.
    if (have > std::size_t(st.st_size)) {
        result.problem = QStringLiteral("is still changing");
        return result;
    }
    result.bytes.resize(have);
    record::Parsed parsed = record::parse(result.bytes);
    result.problem = problemText(parsed.problem);
    result.record = std::move(parsed.record);
    return result;
}

} // namespace quillbox
