#include "deliver.h"

#include "posix/descriptor.h"
#include "record.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace deliver {

namespace {

// A path or name for the log line: control bytes and "%" as %XX, so that
// the line stays one line.
std::string printable(std::string_view text)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7f || c == '%') {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0xf];
        } else {
            out += ch;
        }
    }
    return out;
}

std::string why(int error)
{
    return std::strerror(error);
}

Result failed(const std::string &file, const std::string &what)
{
    return {1, what + "; " + printable(file) + " was left in place"};
}

bool readAll(int fd, std::string &bytes)
{
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        bytes.append(buffer, static_cast<std::size_t>(n));
        // It may grow while it is read.
        if (bytes.size() > record::maxTextBytes) {
            errno = EFBIG;
            return false;
        }
    }
}

// Renames from to to within the folder unless to exists already.
bool renameNew(int folder, const std::string &from, const std::string &to)
{
    if (::renameat2(folder, from.c_str(), folder, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without RENAME_NOREPLACE: a hard link fails as well
    // when the name is taken.
    if (::linkat(folder, from.c_str(), folder, to.c_str(), 0) != 0)
        return false;
    ::unlinkat(folder, from.c_str(), 0);
    return true;
}

// Writes the record into the spool under a hidden name and renames it to
// its record name.  Returns 0 or the errno that stopped it.
int store(int spool, const std::string &bytes, Moment now, long pid)
{
    const std::string hidden = '.' + record::recordName(now.seconds, now.nanoseconds, pid) + ".new";
    posix::Descriptor file(::openat(spool, hidden.c_str(),
        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0644));
    if (file.get() < 0)
        return errno;
    // smbd runs the command with a umask of 0: set the mode outright.  Every
    // local user may read the messages to the machine.
    bool ok = ::fchmod(file.get(), 0644) == 0 && posix::writeAll(file.get(), bytes)
        && ::fsync(file.get()) == 0 && file.close();
    for (unsigned attempt = 0; ok; ++attempt) {
        const std::string name = record::recordName(now.seconds, now.nanoseconds, pid, attempt);
        if (renameNew(spool, hidden, name))
            return 0;
        ok = errno == EEXIST && attempt < 1000;
    }
    const int error = errno;
    ::unlinkat(spool, hidden.c_str(), 0);
    return error;
}

bool isHiddenDelivery(std::string_view name)
{
    return name.size() > 5 && name.front() == '.' && name.substr(name.size() - 4) == ".new";
}

} // namespace

int sweep(int spoolFolder, Moment now, bool force)
{
    struct stat st;
    if (!force && ::fstatat(spoolFolder, sweepStamp, &st, AT_SYMLINK_NOFOLLOW) == 0
        && S_ISREG(st.st_mode) && st.st_mtim.tv_sec <= now.seconds
        && now.seconds - st.st_mtim.tv_sec < sweepInterval)
        return 0;
    {
        posix::Descriptor stamp(::openat(
            spoolFolder, sweepStamp, O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0644));
        const timespec times[2] = {{now.seconds, 0}, {now.seconds, 0}};
        if (stamp.get() >= 0)
            ::futimens(stamp.get(), times);
    }

    // A descriptor of its own: a dup would share the reading position.
    const int listing = ::openat(spoolFolder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0)
        return 0;
    DIR *folder = ::fdopendir(listing);
    if (!folder) {
        ::close(listing);
        return 0;
    }
    int removed = 0;
    while (const dirent *entry = ::readdir(folder)) {
        const std::string_view name = entry->d_name;
        bool old = false;
        if (const auto time = record::timeOfName(name)) {
            old = now.seconds - *time > keepSeconds;
        } else if (isHiddenDelivery(name)) {
            // A delivery takes milliseconds; one a day old was killed.
            old = ::fstatat(spoolFolder, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0
                && now.seconds - st.st_mtim.tv_sec > sweepInterval;
        }
        if (old && ::unlinkat(spoolFolder, entry->d_name, 0) == 0)
            ++removed;
    }
    ::closedir(folder);
    return removed;
}

Result run(int argc, const char *const *args, const char *spoolVariable, Moment now, long pid)
{
    if (argc != 3)
        return {2, "usage: quillbox-deliver FILE SENDER DESTINATION"};
    const std::string file = args[0];
    const std::string spool
        = spoolVariable && *spoolVariable ? std::string(spoolVariable) : std::string(defaultSpool);

    // Looked at before it is opened: a FIFO or a device is never opened.
    struct stat st;
    if (::lstat(file.c_str(), &st) != 0)
        return {1, "cannot read " + printable(file) + ": " + why(errno)};
    if (S_ISLNK(st.st_mode))
        return failed(file, printable(file) + " is a symbolic link");
    if (!S_ISREG(st.st_mode))
        return failed(file, printable(file) + " is not a regular file");
    if (static_cast<std::size_t>(st.st_size) > record::maxTextBytes)
        return failed(file, printable(file) + " is larger than 64 KiB");
    posix::Descriptor input(
        ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (input.get() < 0 || ::fstat(input.get(), &st) != 0)
        return failed(file, "cannot read " + printable(file) + ": " + why(errno));
    if (!S_ISREG(st.st_mode))
        return failed(file, printable(file) + " is not a regular file");
    record::Record message;
    if (!readAll(input.get(), message.text)) {
        if (errno == EFBIG)
            return failed(file, printable(file) + " is larger than 64 KiB");
        return failed(file, "cannot read " + printable(file) + ": " + why(errno));
    }
    input.close();

    message.sender = args[1];
    message.destination = args[2];
    message.received = now.seconds;
    const std::string bytes = record::format(message);

    posix::Descriptor spoolFolder(
        ::open(spool.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (spoolFolder.get() < 0)
        return failed(file, "cannot open the spool " + printable(spool) + ": " + why(errno));

    int error = store(spoolFolder.get(), bytes, now, pid);
    // A full spool may hold records that are due to go.
    if ((error == ENOSPC || error == EDQUOT) && sweep(spoolFolder.get(), now, true) > 0)
        error = store(spoolFolder.get(), bytes, now, pid);
    if (error != 0)
        return failed(file, "cannot store the message in " + printable(spool) + ": " + why(error));

    Result result;
    if (::unlink(file.c_str()) != 0)
        result.note = "the message was stored, but " + printable(file)
            + " could not be removed: " + why(errno);
    sweep(spoolFolder.get(), now);
    return result;
}

} // namespace deliver
