// The POSIX platform as the contract tests see it: smbclient is the messaging
// service, "/" the separator, a leading dot hides.
#include "../probe.h"
#include "fakesmbclient.h"
#include "smbclient/wirecharset.h"

#include <QString>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>

#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace probe {

namespace {

std::u16string fromUtf8(const std::string &bytes)
{
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())).toStdU16String();
}

// The text as smbclient reads it: in the set its --option names as its unix
// charset.  Bytes not valid there come back as a marker.
std::u16string asSmbclientReads(const testsupport::SmbclientRun &run, const std::string &bytes)
{
    const std::string option = "--option=unix charset=";
    for (const std::string &argument : run.arguments) {
        if (argument.starts_with(option))
            return smbclient::fromWire(bytes, argument.substr(option.size()))
                .value_or(u"<not valid in " + fromUtf8(argument) + u">");
    }
    return u"<no unix charset given>";
}

} // namespace

struct MessageService::Private
{
    testsupport::FakeSmbclient smbclient;
};

MessageService::MessageService() : d(std::make_unique<Private>()) { }
MessageService::~MessageService() = default;

std::vector<std::string> MessageService::refusals()
{
    return {"exit status 1", "exit status 0 with refusal on stderr"};
}

void MessageService::refuse(const std::string &how)
{
    if (how == "exit status 1") {
        d->smbclient.exitWith(1);
    } else {
        d->smbclient.exitWith(0);
        d->smbclient.writeToStderr("cli_message returned NT_STATUS_ACCESS_DENIED");
    }
}

std::vector<Handover> MessageService::handovers() const
{
    std::vector<Handover> result;
    for (const testsupport::SmbclientRun &run : d->smbclient.runs()) {
        const std::string recipient = run.arguments.empty() ? std::string() : run.arguments.back();
        result.push_back(
            {asSmbclientReads(run, recipient), asSmbclientReads(run, run.standardInput)});
    }
    return result;
}

std::u16string lineBreak()
{
    return u"\n";
}

std::vector<SlashCase> addSlashCases()
{
    return {
        {"Empty", u"", u"/"},
        {"Root", u"/", u"/"},
        {"EndsInSlash", u"/tmp/", u"/tmp/"},
        {"Folder", u"/tmp", u"/tmp/"},
        {"BackslashIsNoSeparator", u"C:\\x", u"C:\\x/"},
        {"Relative", u"rel/dir", u"rel/dir/"},
        {"EndsInBackslash", u"dir\\", u"dir\\/"},
    };
}

std::vector<Concealment> concealments()
{
    return {{"a leading dot", [](const std::string &name) { return "." + name; },
        [](const std::filesystem::path &) { return true; }}};
}

std::u16string pathOnMissingRoot()
{
    std::random_device random;
    for (;;) {
        const std::filesystem::path root = "/quillon-missing-" + std::to_string(random());
        if (!std::filesystem::exists(root))
            return (root / "note.txt").u16string();
    }
}

std::u16string nativeText(const std::filesystem::path &path)
{
    return path.u16string();
}

std::u16string expectedComputerName()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return {};
    return fromUtf8(name);
}

bool takeWriteAccess(const std::filesystem::path &path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && ::chmod(path.c_str(), st.st_mode & ~0222) == 0;
}

void giveWriteAccess(const std::filesystem::path &path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) == 0)
        ::chmod(path.c_str(), st.st_mode | S_IWUSR);
}

std::optional<bool> asOrdinaryUser(const std::function<bool()> &check)
{
    if (::geteuid() != 0)
        return check();

    // What setpriv --reuid=nobody --regid=nogroup --clear-groups does.
    const passwd *nobody = ::getpwnam("nobody");
    const group *nogroup = ::getgrnam("nogroup");
    if (!nobody || !nogroup)
        return std::nullopt;
    const uid_t uid = nobody->pw_uid;
    const gid_t gid = nogroup->gr_gid;
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0)
        return std::nullopt;
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setresgid(gid, gid, gid) != 0
            || ::setresuid(uid, uid, uid) != 0)
            ::_exit(2);
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return std::nullopt;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) > 1)
        return std::nullopt;
    return WEXITSTATUS(status) == 0;
}

std::string eAcuteBytes()
{
    return "\xc3\xa9";
}

bool eightBitHoldsEverything()
{
    return true;
}

std::u16string expectedProgramFolder()
{
    // The XDG base folder decides where the settings folder is, and the
    // name of the running program file (this test's) what it is called.
    static const std::string base
        = (std::filesystem::temp_directory_path() / "quillon-probe-config").string();
    ::setenv("XDG_CONFIG_HOME", base.c_str(), 1);
    return fromUtf8(
        base + '/' + std::filesystem::read_symlink("/proc/self/exe").filename().string());
}

std::filesystem::path childProgram()
{
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "platform_start_child";
}

bool waitForFile(const std::filesystem::path &path, std::chrono::milliseconds timeout)
{
    const int watcher = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (watcher < 0)
        return std::filesystem::exists(path);
    ::inotify_add_watch(
        watcher, path.parent_path().c_str(), IN_CREATE | IN_MOVED_TO | IN_CLOSE_WRITE);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    bool found = std::filesystem::exists(path);
    while (!found) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd watch {watcher, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&watch, 1, static_cast<int>(left.count())) <= 0) {
            found = std::filesystem::exists(path);
            break;
        }
        char events[4096];
        while (::read(watcher, events, sizeof events) > 0) { }
        found = std::filesystem::exists(path);
    }
    ::close(watcher);
    return found;
}

bool childSeesCommandLine()
{
    return false;
}

std::string expectedShowState()
{
    return "-";
}

} // namespace probe
