#include "smbclientrunner.h"

#include "portcheck.h"
#include "posix/descriptor.h"
#include "wirecharset.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <mutex>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
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

struct Pipe
{
    posix::Descriptor read;
    posix::Descriptor write;
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

constexpr std::string_view stoppedNote = "the send was stopped\n";

const char *portNote(PortAnswer answer)
{
    switch (answer) {
    case PortAnswer::Refused:
        return "port 139 refused the connection\n";
    case PortAnswer::Unreachable:
        return "no route to the host\n";
    case PortAnswer::Silent:
        return "port 139 did not answer in time\n";
    case PortAnswer::Stopped:
        return stoppedNote.data();
    case PortAnswer::Accepted:
    case PortAnswer::Unknown:
        break;
    }
    return nullptr;
}

constexpr int stoppedBeforeSpawn = -1;

// The smbclient of one run, as far as another thread may kill it: its
// process group, from the spawn until the group leader is reaped (its
// number cannot be reused before that).
class Child
{
public:
    // Starts the child unless a stop came first (stoppedBeforeSpawn).
    template<class Start>
    int spawn(Start &&start)
    {
        const std::lock_guard lock(m_mutex);
        if (m_stopped)
            return stoppedBeforeSpawn;
        pid_t pid = -1;
        const int error = start(pid);
        if (error == 0)
            m_pid = pid;
        return error;
    }
    pid_t pid() const
    {
        const std::lock_guard lock(m_mutex);
        return m_pid;
    }
    // From any thread: kills the group, or keeps it from starting.
    void stop()
    {
        const std::lock_guard lock(m_mutex);
        m_stopped = true;
        if (m_pid > 0)
            m_killedByStop = ::kill(-m_pid, SIGKILL) == 0 || m_killedByStop;
    }
    void kill()
    {
        const std::lock_guard lock(m_mutex);
        if (m_pid > 0)
            ::kill(-m_pid, SIGKILL);
    }
    // The leader is about to be reaped: no kill after this.
    pid_t release()
    {
        const std::lock_guard lock(m_mutex);
        return std::exchange(m_pid, 0);
    }
    bool killedByStop() const
    {
        const std::lock_guard lock(m_mutex);
        return m_killedByStop;
    }

private:
    mutable std::mutex m_mutex;
    pid_t m_pid = 0;
    bool m_stopped = false;
    bool m_killedByStop = false;
};

// Reads the run's standard error into diagnostics (and passes it on to
// ours) until it ends and the process has ended, without reaping it.  False
// when the deadline came first.
bool watch(pid_t pid, posix::Descriptor &err, std::chrono::steady_clock::time_point until,
    std::string &diagnostics)
{
    // Where the kernel has no process descriptors, the end of the process
    // is waited for once its standard error has closed.
    posix::Descriptor exited(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
    bool reading = true;
    bool ended = false;
    char buffer[4096];
    while (reading || !ended) {
        pollfd fds[2];
        nfds_t count = 0;
        if (reading)
            fds[count++] = {err.get(), POLLIN, 0};
        if (!ended && exited.get() >= 0)
            fds[count++] = {exited.get(), POLLIN, 0};
        if (count == 0) {
            siginfo_t info;
            while (::waitid(P_PID, id_t(pid), &info, WEXITED | WNOWAIT) < 0 && errno == EINTR) { }
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            until - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        const int ready
            = ::poll(fds, count, static_cast<int>(std::min<long long>(left.count(), INT_MAX)));
        if (ready < 0 && errno != EINTR)
            return true;
        for (nfds_t i = 0; ready > 0 && i < count; ++i) {
            if (!fds[i].revents)
                continue;
            if (fds[i].fd != err.get()) {
                ended = true;
                continue;
            }
            const ssize_t n = ::read(err.get(), buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                reading = false;
                continue;
            }
            diagnostics.append(buffer, static_cast<std::size_t>(n));
            [[maybe_unused]] ssize_t ignored
                = ::write(STDERR_FILENO, buffer, static_cast<std::size_t>(n));
        }
    }
    return true;
}

} // namespace

std::size_t wireLength(std::string_view input)
{
    return input.size() + static_cast<std::size_t>(std::count(input.begin(), input.end(), '\n'));
}

std::optional<Outcome> checkMessage(std::u16string_view message)
{
    const auto input = toWire(message, wireCharset());
    if (!input)
        return Outcome::Unrepresentable;
    if (wireLength(*input) > maxWireBytes)
        return Outcome::TooLong;
    return std::nullopt;
}

Result sendMessage(std::u16string_view address, std::u16string_view message, const char *program)
{
    Options options;
    options.program = program;
    return sendMessage(address, message, options);
}

Result sendMessage(std::u16string_view address, std::u16string_view message, const Options &options)
{
    const std::string &charset = wireCharset();
    const auto host = toWire(address, charset);
    const auto input = toWire(message, charset);
    if (!host || !input)
        return {Outcome::Unrepresentable, {}};
    if (wireLength(*input) > maxWireBytes)
        return {Outcome::TooLong, {}};
    if (options.stop.stop_requested())
        return {Outcome::Failed, std::string(stoppedNote)};

    if (options.checkPort) {
        const PortAnswer answer = checkPort(*host, 139, portCheckTimeout, options.stop);
        if (const char *why = portNote(answer))
            return {Outcome::Failed, why};
    }

    Pipe in, err;
    posix::Descriptor devNull(::open("/dev/null", O_WRONLY | O_CLOEXEC));
    if (!in.open() || !err.open() || devNull.get() < 0)
        return {Outcome::CouldNotStart, std::strerror(errno)};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in.read.get(), STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, devNull.get(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err.write.get(), STDERR_FILENO);

    // The child gets the default SIGPIPE whatever our own disposition is, and
    // a process group of its own: killing that group ends whatever it
    // started too.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);

    // smbclient converts what it reads from its unix charset to its dos
    // charset in 127-byte pieces, and sends a piece that fails as raw bytes.
    // Told that both sets are the same, it passes the converted text on
    // unchanged.  The address is an argument of -M: smbclient takes the next
    // word as the host whatever it starts with, so an address like "-N" is
    // not an option.
    std::string programName(options.program);
    std::string unixCharset("--option=unix charset=" + charset);
    std::string messageFlag("-M");
    std::string hostName(*host);
    char *argv[]
        = {programName.data(), unixCharset.data(), messageFlag.data(), hostName.data(), nullptr};

    Child child;
    const std::stop_callback onStop(options.stop, [&child] { child.stop(); });
    const int spawnError = child.spawn([&](pid_t &pid) {
        return posix_spawnp(&pid, options.program, &actions, &attr, argv, environ);
    });
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    in.read.reset();
    err.write.reset();
    devNull.reset();
    if (spawnError == stoppedBeforeSpawn)
        return {Outcome::Failed, std::string(stoppedNote)};
    if (spawnError != 0)
        return {Outcome::CouldNotStart, std::strerror(spawnError)};
    const auto until = std::chrono::steady_clock::now() + options.deadline;

    // The input is at most a few kilobytes and fits into the pipe's buffer,
    // so writing it all before reading standard error cannot dead-lock.
    writeAll(in.write.get(), *input);
    in.write.reset();

    Result result {Outcome::Failed, {}};
    const bool overdue = !watch(child.pid(), err.read, until, result.diagnostics);
    if (overdue) {
        child.kill();
        result.diagnostics += "smbclient did not end within "
            + std::to_string(options.deadline.count()) + " ms; its process group was killed\n";
    }

    int status = 0;
    const pid_t pid = child.release();
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return result;
    }
    if (child.killedByStop())
        result.diagnostics += stoppedNote;
    if (!overdue && WIFEXITED(status) && WEXITSTATUS(status) == 0
        && !reportsRefusal(result.diagnostics))
        result.outcome = Outcome::Delivered;
    return result;
}

} // namespace smbclient
