#include "faults.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace testsupport {

namespace {

std::string failed(const char *what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

// Once per thread: later mounts stay inside the new namespace.
std::string enterPrivateMounts()
{
    thread_local bool entered = false;
    if (entered)
        return {};
    if (::unshare(CLONE_NEWNS) != 0)
        return failed("unshare(CLONE_NEWNS)");
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return failed("making the mounts private");
    entered = true;
    return {};
}

} // namespace

AsOrdinaryUser::AsOrdinaryUser()
{
    if (::geteuid() != 0)
        return;
    const passwd *nobody = ::getpwnam("nobody");
    const group *nogroup = ::getgrnam("nogroup");
    if (!nobody || !nogroup) {
        m_problem = "runs as root, and there is no user nobody or group nogroup";
        return;
    }
    const int count = ::getgroups(0, nullptr);
    std::vector<gid_t> groups(static_cast<std::size_t>(count > 0 ? count : 0));
    if (count > 0 && ::getgroups(count, groups.data()) != count) {
        m_problem = failed("getgroups");
        return;
    }
    m_groups.assign(reinterpret_cast<const char *>(groups.data()), groups.size() * sizeof(gid_t));
    m_gid = ::getegid();
    // The saved user id stays root, so root can come back.
    if (::setgroups(0, nullptr) != 0 || ::setegid(nogroup->gr_gid) != 0
        || ::seteuid(nobody->pw_uid) != 0) {
        m_problem = failed("dropping to nobody");
        ::seteuid(0);
        ::setegid(m_gid);
        ::setgroups(groups.size(), groups.data());
        return;
    }
    m_switched = true;
}

AsOrdinaryUser::~AsOrdinaryUser()
{
    if (!m_switched)
        return;
    const auto *groups = reinterpret_cast<const gid_t *>(m_groups.data());
    if (::seteuid(0) != 0 || ::setegid(m_gid) != 0
        || ::setgroups(m_groups.size() / sizeof(gid_t), groups) != 0)
        std::abort();
}

std::string runAs(bool asOrdinaryUser, const std::function<void()> &action)
{
    if (!asOrdinaryUser) {
        action();
        return {};
    }
    const AsOrdinaryUser user;
    if (!user.problem().empty())
        return user.problem();
    action();
    return {};
}

SmallDisk::SmallDisk(std::filesystem::path folder, std::size_t bytes) : m_folder(std::move(folder))
{
    if (::geteuid() != 0) {
        m_problem = "mounting a small disk needs root";
        return;
    }
    m_problem = enterPrivateMounts();
    if (!m_problem.empty())
        return;
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0777";
    if (::mount("tmpfs", m_folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
        m_problem = failed("mounting tmpfs");
        return;
    }
    m_mounted = true;
}

SmallDisk::~SmallDisk()
{
    if (m_mounted)
        ::umount2(m_folder.c_str(), MNT_DETACH);
}

bool SmallDisk::fill(std::size_t leave) const
{
    if (!m_mounted)
        return false;
    const std::string filler = (m_folder / ".filler").string();
    const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const std::vector<char> block(4096, 'x');
    bool full = false;
    // Blocks first, then single bytes for what a block no longer fits into.
    for (std::size_t size = block.size(); size > 0 && !full;) {
        const ssize_t n = ::write(fd, block.data(), size);
        if (n >= 0)
            continue;
        if (errno != ENOSPC)
            break;
        if (size == 1)
            full = true;
        else
            size = 1;
    }
    const off_t length = full ? ::lseek(fd, 0, SEEK_END) : -1;
    if (length >= 0 && leave > 0)
        full = static_cast<std::size_t>(length) >= leave
            && ::ftruncate(fd, length - static_cast<off_t>(leave)) == 0;
    ::close(fd);
    return full;
}

} // namespace testsupport
