#include "smbclientrunner.h"

#include "wirecharset.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace smbclient {

namespace {

// smbclient exits 0 even when the receiver refused the message; this line on
// its standard error is then the only sign of it.
constexpr std::string_view refusalMarker = "cli_message returned NT_STATUS_";

bool reportsRefusal(std::string_view text)
{
    for (std::size_t pos = 0; pos < text.size();) {
        if (text.substr(pos).starts_with(refusalMarker))
            return true;
        const std::size_t eol = text.find('\n', pos);
        if (eol == std::string_view::npos)
            break;
        pos = eol + 1;
    }
    return false;
}

class Fd
{
public:
    Fd() = default;
    explicit Fd(int fd) : m_fd(fd) { }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    ~Fd() { reset(); }
    int get() const { return m_fd; }
    int *out() { return &m_fd; }
    void reset()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd = -1;
};

struct Pipe
{
    Fd read;
    Fd write;
    bool open()
    {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return false;
        *read.out() = fds[0];
        *write.out() = fds[1];
        return true;
    }
};

// Writes all of data; a reader that has gone away is not an error of ours
// (smbclient may give up before it reads), and must not kill us with SIGPIPE.
void writeAll(int fd, std::string_view data)
{
    sigset_t pipeOnly, previous;
    sigemptyset(&pipeOnly);
    sigaddset(&pipeOnly, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeOnly, &previous);
    sigset_t pendingBefore;
    sigpending(&pendingBefore);
    const bool wasPending = sigismember(&pendingBefore, SIGPIPE);

    bool brokenPipe = false;
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            brokenPipe = errno == EPIPE;
            break;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    if (brokenPipe && !wasPending) {
        const timespec zero {0, 0};
        sigtimedwait(&pipeOnly, nullptr, &zero);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

} // namespace

std::size_t wireLength(std::string_view input)
{
    return input.size() + static_cast<std::size_t>(std::count(input.begin(), input.end(), '\n'));
}

Result sendMessage(std::u16string_view address, std::u16string_view message, const char *program)
{
    const std::string &charset = wireCharset();
    const auto host = toWire(address, charset);
    const auto input = toWire(message, charset);
    if (!host || !input)
        return {Outcome::Unrepresentable, {}};
    if (wireLength(*input) > maxWireBytes)
        return {Outcome::TooLong, {}};

    Pipe in, err;
    Fd devNull(::open("/dev/null", O_WRONLY | O_CLOEXEC));
    if (!in.open() || !err.open() || devNull.get() < 0)
        return {Outcome::CouldNotStart, std::strerror(errno)};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in.read.get(), STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, devNull.get(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err.write.get(), STDERR_FILENO);

    // The child gets the default SIGPIPE whatever our own disposition is.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF);

    // smbclient converts what it reads from its unix charset to its dos
    // charset in 127-byte pieces, and sends a piece that fails as raw bytes.
    // Told that both sets are the same, it passes the converted text on
    // unchanged.  The address is an argument of -M: smbclient takes the next
    // word as the host whatever it starts with, so an address like "-N" is
    // not an option.
    std::string programName(program);
    std::string unixCharset("--option=unix charset=" + charset);
    std::string messageFlag("-M");
    std::string hostName(*host);
    char *argv[]
        = {programName.data(), unixCharset.data(), messageFlag.data(), hostName.data(), nullptr};

    pid_t pid = -1;
    const int spawnError = posix_spawnp(&pid, program, &actions, &attr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    in.read.reset();
    err.write.reset();
    devNull.reset();
    if (spawnError != 0)
        return {Outcome::CouldNotStart, std::strerror(spawnError)};

    // The input is at most a few kilobytes and fits into the pipe's buffer,
    // so writing it all before reading standard error cannot dead-lock.
    writeAll(in.write.get(), *input);
    in.write.reset();

    Result result {Outcome::Failed, {}};
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(err.read.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        result.diagnostics.append(buffer, static_cast<std::size_t>(n));
        [[maybe_unused]] ssize_t ignored
            = ::write(STDERR_FILENO, buffer, static_cast<std::size_t>(n));
    }

    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return result;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0 && !reportsRefusal(result.diagnostics))
        result.outcome = Outcome::Delivered;
    return result;
}

} // namespace smbclient
