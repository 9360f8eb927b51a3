#include "fileio.h"

#include "posix/descriptor.h"
#include <cerrno>
#include <climits>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fileio {

namespace {

// As many links as the kernel follows before it gives up with ELOOP.
constexpr int maxLinkHops = 40;

std::string folderOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {};
    return path.substr(0, slash + 1);
}

std::optional<std::string> linkText(const std::string &path)
{
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
        if (n < 0)
            return std::nullopt;
        if (static_cast<std::size_t>(n) < buffer.size())
            return std::string(buffer.data(), static_cast<std::size_t>(n));
        buffer.resize(buffer.size() * 2);
    }
}

// The file that writing through path writes: path itself, or the end of its
// chain of symbolic links, also when that end does not exist yet.  Replacing
// the link itself would cut it from the file it points at.
std::optional<std::string> resolvedTarget(std::string path)
{
    for (int hop = 0; hop < maxLinkHops; ++hop) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        const auto link = linkText(path);
        if (!link)
            return std::nullopt;
        path = (!link->empty() && link->front() == '/') ? *link : folderOf(path) + *link;
    }
    errno = ELOOP;
    return std::nullopt;
}

// Whether the file at target, if any, may be replaced by a new regular file.
bool replaceable(const std::string &target)
{
    struct stat st;
    if (::stat(target.c_str(), &st) != 0)
        return errno == ENOENT;
    if (S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        errno = EINVAL;
        return false;
    }
    // Writing in place would fail here; renaming over it must not succeed
    // in its stead.
    return ::euidaccess(target.c_str(), W_OK) == 0;
}

bool fail(int *error)
{
    if (error)
        *error = errno;
    return false;
}

FileContent failure(ReadFailure kind, int errorNumber = 0)
{
    FileContent content;
    content.failure = kind;
    content.errorNumber = errorNumber;
    return content;
}

// A new name beside target for make, which answers a descriptor (or 0) or
// -1 with errno set; *name is that name once make took it.
template<class Make>
int besideTarget(const std::string &target, const char *kind, std::string &name, Make make)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate
            = target + kind + std::to_string(::getpid()) + '-' + std::to_string(attempt);
        const int result = make(candidate);
        if (result >= 0) {
            name = candidate;
            return result;
        }
        if (errno != EEXIST)
            return -1;
    }
    errno = EEXIST;
    return -1;
}

// One file of a replacement on its way: the new content beside its target,
// and a second name for what the target holds now.
struct Pending
{
    std::string target;
    std::string temporary;
    std::string backup;
    bool existed = false;
};

// Writes bytes to a new file beside the file that path writes through to.
bool prepare(const std::string &path, std::string_view bytes, Pending &pending)
{
    const auto resolved = resolvedTarget(path);
    if (!resolved || !replaceable(*resolved))
        return false;
    pending.target = *resolved;

    // 0666 less the umask, as for any new file of the user's.
    const int fd
        = besideTarget(pending.target, ".tmp", pending.temporary, [](const std::string &name) {
              return ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
          });
    if (fd < 0)
        return false;
    posix::Descriptor file(fd);

    // A file the user has made private stays private.
    struct stat st;
    if (::stat(pending.target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        pending.existed = true;
        ::fchmod(file.get(), st.st_mode & 07777);
    }
    return posix::writeAll(file.get(), bytes) && ::fsync(file.get()) == 0 && file.close();
}

} // namespace

bool replaceAtomically(const std::string &path, std::string_view bytes, int *error)
{
    return replaceTogether({{path, bytes}}, error);
}

bool replaceTogether(const std::vector<Replacement> &files, int *error)
{
    std::vector<Pending> pending(files.size());
    bool ok = true;
    for (std::size_t i = 0; ok && i < files.size(); ++i)
        ok = prepare(files[i].path, files[i].bytes, pending[i]);
    int why = ok ? 0 : errno;
    // The previous files under a second name, so that they can come back;
    // the last one needs none, since nothing is renamed after it.
    for (std::size_t i = 0; ok && i + 1 < pending.size(); ++i) {
        Pending &file = pending[i];
        if (file.existed)
            besideTarget(file.target, ".old", file.backup, [&file](const std::string &name) {
                return ::link(file.target.c_str(), name.c_str()) == 0 ? 0 : -1;
            });
    }
    std::size_t placed = 0;
    while (ok && placed < pending.size()) {
        ok = ::rename(pending[placed].temporary.c_str(), pending[placed].target.c_str()) == 0;
        if (ok)
            pending[placed++].temporary.clear();
        else
            why = errno;
    }

    if (!ok) {
        while (placed > 0) {
            Pending &file = pending[--placed];
            // A previous file that cannot be put back stays under its
            // second name rather than nowhere.
            if (!file.backup.empty())
                ::rename(file.backup.c_str(), file.target.c_str());
            else if (!file.existed)
                ::unlink(file.target.c_str());
            file.backup.clear();
        }
    }
    for (const Pending &file : pending) {
        if (!file.temporary.empty())
            ::unlink(file.temporary.c_str());
        if (!file.backup.empty())
            ::unlink(file.backup.c_str());
    }
    if (ok)
        return true;
    errno = why;
    return fail(error);
}

FileContent readFile(const std::string &path, std::size_t limit)
{
    // Looked at before it is opened: opening a FIFO waits for a writer, and
    // opening a device may do anything.
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return failure(ReadFailure::System, errno);
    if (!S_ISREG(st.st_mode))
        return failure(ReadFailure::NotAFile);
    if (static_cast<std::size_t>(st.st_size) > limit)
        return failure(ReadFailure::TooLarge);

    // O_NONBLOCK: should a FIFO take the file's place after the look, the
    // open still returns at once.
    posix::Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.get() < 0)
        return failure(ReadFailure::System, errno);
    if (::fstat(file.get(), &st) != 0)
        return failure(ReadFailure::System, errno);
    if (!S_ISREG(st.st_mode))
        return failure(ReadFailure::NotAFile);

    FileContent content;
    content.bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(file.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return failure(ReadFailure::System, errno);
        if (n == 0)
            break;
        // The file may grow while it is read.
        if (content.bytes.size() + static_cast<std::size_t>(n) > limit)
            return failure(ReadFailure::TooLarge);
        content.bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return content;
}

std::optional<std::string> readWhole(const std::string &path)
{
    FileContent content = readFile(path);
    if (!content.ok())
        return std::nullopt;
    return std::move(content.bytes);
}

} // namespace fileio
