// A program line that starts nothing is reported to the system log: a
// /dev/log of the test's own, in a mount namespace of its own, takes the
// datagram that syslog(3) sends.
#include "platform.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include <sched.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string failed(const char *what)
{
    return std::string("skip: ") + what + ": " + std::strerror(errno);
}

// In a child process: a /dev of its own that holds /dev/null and a log
// socket; then the start.  What the log received, "skip: ..." when the
// namespace cannot be had, or "error: ...".
std::string logOfStart(const fs::path &aside, const std::u16string &commandLine)
{
    if (::unshare(CLONE_NEWNS) != 0)
        return failed("unshare(CLONE_NEWNS)");
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return failed("making the mounts private");
    // The start reads /dev/null: it stays reachable under the new /dev.
    if (::mount("/dev/null", aside.c_str(), nullptr, MS_BIND, nullptr) != 0)
        return failed("keeping /dev/null");
    if (::mount("tmpfs", "/dev", "tmpfs", MS_NOSUID, "size=64k,mode=755") != 0)
        return failed("mounting a /dev of its own");
    std::ofstream("/dev/null").close();
    if (::mount(aside.c_str(), "/dev/null", nullptr, MS_BIND, nullptr) != 0)
        return failed("putting /dev/null back");

    const int log = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, "/dev/log");
    if (log < 0 || ::bind(log, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0)
        return failed("binding /dev/log");
    const timeval patience {10, 0};
    ::setsockopt(log, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);

    if (StartProgram(commandLine))
        return "error: it started";
    char datagram[8192];
    const ssize_t size = ::recv(log, datagram, sizeof datagram, 0);
    if (size < 0)
        return "error: nothing reached the log";
    return std::string(datagram, static_cast<std::size_t>(size));
}

TEST(StartReportTest, ReachesTheSystemLog)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "a /dev/log of the test's own needs root (a mount namespace)";
    TempFolder folder;
    const fs::path aside = folder.writeFile("null", "");
    const std::string program = (folder.path() / "no-such-program").string();
    const std::u16string commandLine(program.begin(), program.end());

    int channel[2];
    ASSERT_EQ(::pipe(channel), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(channel[0]);
        const std::string result = logOfStart(aside, commandLine + u" 'two words'");
        const ssize_t ignored = ::write(channel[1], result.data(), result.size());
        static_cast<void>(ignored);
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string got;
    char buffer[4096];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        got.append(buffer, static_cast<std::size_t>(n));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);

    if (got.rfind("skip: ", 0) == 0)
        GTEST_SKIP() << got;
    // <11>: the user facility (8), at the error level (3); the program and
    // its process id name the source.
    EXPECT_EQ(got.rfind("<11>", 0), 0u) << got;
    EXPECT_NE(
        got.find(" platform_contract_test[" + std::to_string(child) + "]: "), std::string::npos)
        << got;
    const std::string report
        = "could not start \"" + program + " 'two words'\": No such file or directory";
    ASSERT_GE(got.size(), report.size()) << got;
    EXPECT_EQ(got.substr(got.size() - report.size()), report) << got;
}

} // namespace
