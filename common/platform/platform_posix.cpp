// POSIX side of the platform layer: smbclient stands in for the Messenger
// service, hidden files are the dot-files, settings and text files are UTF-8
// and replaced atomically.
#include "platform.h"

#include "fileio/fileio.h"
#include "ini/ini.h"
#include "smbclient/smbclientrunner.h"

#include <QByteArray>
#include <QStandardPaths>
#include <QString>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <glib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <syslog.h>
#include <unistd.h>

namespace {

QByteArray toUtf8(const std::u16string &text)
{
    return QString::fromStdU16String(text).toUtf8();
}

std::string utf8(const std::u16string &text)
{
    return toUtf8(text).toStdString();
}

std::u16string fromUtf8(std::string_view bytes)
{
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())).toStdU16String();
}

SendOutcome toSendOutcome(smbclient::Outcome outcome)
{
    switch (outcome) {
    case smbclient::Outcome::Delivered:
        return SendOutcome::Delivered;
    case smbclient::Outcome::CouldNotStart:
        return SendOutcome::CouldNotStart;
    case smbclient::Outcome::TooLong:
        return SendOutcome::TooLong;
    case smbclient::Outcome::Unrepresentable:
        return SendOutcome::Unrepresentable;
    case smbclient::Outcome::Failed:
        break;
    }
    return SendOutcome::Failed;
}

enum class Target { Missing, Replaceable, Untouchable };

// Whether a file may be put at path.  A folder is never replaced, nor is a
// file without any write permission: Windows keeps its read-only files, and
// so do we, even for root.
Target targetAt(const std::string &path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return errno == ENOENT ? Target::Missing : Target::Untouchable;
    if (!S_ISREG(st.st_mode) || (st.st_mode & 0222) == 0 || ::euidaccess(path.c_str(), W_OK) != 0)
        return Target::Untouchable;
    return Target::Replaceable;
}

bool isOrdinaryFile(const QByteArray &path)
{
    struct stat st;
    return ::stat(path.constData(), &st) == 0 && S_ISREG(st.st_mode);
}

bool isHidden(const QByteArray &name)
{
    return name.startsWith('.');
}

} // namespace

SendResult SendMessageTo(
    const std::u16string &toUser, const std::u16string &message, std::stop_token stop)
{
    // The text goes out as given, nothing added, in the receivers' code page;
    // a character that the code page cannot hold fails the send before
    // smbclient starts.  A dotted address whose port 139 takes no connection
    // fails without one: broadcasts meet many of those.
    smbclient::Options options;
    options.checkPort = true;
    options.stop = std::move(stop);
    smbclient::Result result = smbclient::sendMessage(toUser, message, options);
    return {toSendOutcome(result.outcome), std::move(result.diagnostics)};
}

std::optional<SendOutcome> CheckMessage(const std::u16string &message)
{
    if (const auto refused = smbclient::checkMessage(message))
        return toSendOutcome(*refused);
    return std::nullopt;
}

bool BroadcastMessage(const std::u16string &sToUser, const std::u16string & /*sFromUser*/,
    const std::u16string &sMessage)
{
    return SendMessageTo(sToUser, sMessage, {}).outcome == SendOutcome::Delivered;
}

std::u16string ComputerName()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return {};
    return QString::fromLocal8Bit(name).toStdU16String();
}

std::u16string AddSlash(std::u16string AddPath)
{
    if (AddPath.empty() || AddPath.back() != u'/')
        AddPath.push_back(u'/');
    return AddPath;
}

bool FileExists(const std::u16string &sSource)
{
    const QByteArray path = toUtf8(sSource);
    if (path.isEmpty())
        return false;
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : path.left(slash + 1);
    QByteArray pattern = path.mid(slash + 1);
    if (pattern.isEmpty() || isHidden(pattern))
        return false;

    if (!pattern.contains('*') && !pattern.contains('?'))
        return isOrdinaryFile(path);

    // "*.*" is "every file" on Windows, extension or not.
    if (pattern == "*.*")
        pattern = "*";
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return false;
    bool found = false;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (isHidden(name) || ::fnmatch(pattern.constData(), name.constData(), FNM_NOESCAPE) != 0)
            continue;
        const QByteArray candidate = slash < 0 ? name : folder + name;
        if (isOrdinaryFile(candidate)) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

std::u16string ReadProfileValue(const std::u16string &section, const std::u16string &key,
    const std::u16string &defaultValue, const std::u16string &path)
{
    const auto file = fileio::readWhole(utf8(path));
    if (!file)
        return defaultValue;
    const auto value = ini::read(*file, utf8(section), utf8(key));
    return value ? fromUtf8(*value) : defaultValue;
}

bool WriteProfileValue(const std::u16string &section, const std::u16string &key,
    const std::u16string &value, const std::u16string &path)
{
    const std::string name = utf8(section);
    const std::string entry = utf8(key);
    const std::string text = utf8(value);
    const std::string file = utf8(path);
    if (!ini::storable(name, entry, text))
        return false;

    const Target target = targetAt(file);
    if (target == Target::Untouchable)
        return false;
    std::string before;
    if (target == Target::Replaceable) {
        // A file that cannot be read must not be replaced by one that holds
        // only the new value.
        auto bytes = fileio::readWhole(file);
        if (!bytes)
            return false;
        before = std::move(*bytes);
    }
    const std::string after = ini::write(before, name, entry, text);
    // Storing what is stored already leaves the file alone.
    return (target == Target::Replaceable && after == before)
        || fileio::replaceAtomically(file, after);
}

std::optional<std::u16string> ReadTextFile(const std::u16string &path)
{
    const auto bytes = fileio::readWhole(utf8(path));
    if (!bytes)
        return std::nullopt;
    return fromUtf8(*bytes);
}

bool WriteTextFile(const std::u16string &path, const std::u16string &text)
{
    const std::string file = utf8(path);
    return targetAt(file) != Target::Untouchable && fileio::replaceAtomically(file, utf8(text));
}

std::u16string ProgramFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    return folder.toStdU16String();
}

bool EnsureFolder(const std::u16string &path)
{
    if (path.empty())
        return false;
    const std::filesystem::path folder(utf8(path));
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return std::filesystem::is_directory(folder, error);
}

namespace {

// What a command line that did not start is reported with: on stderr and in
// the system log, because the program ends right after (Crier's countdown)
// and has no window left to say it in.
void reportNotStarted(const std::string &commandLine, const char *reason)
{
    // LOG_PERROR gives stderr the very line that goes to the log.
    ::openlog(nullptr, LOG_PID | LOG_PERROR, LOG_USER);
    if (commandLine.empty())
        ::syslog(LOG_ERR, "could not start a program: %s", reason);
    else
        ::syslog(LOG_ERR, "could not start \"%s\": %s", commandLine.c_str(), reason);
    ::closelog();
}

const char *systemReason(int error)
{
    // English whatever the locale, like every other text of the programs.
    const char *description = ::strerrordesc_np(error);
    return description ? description : "unknown error";
}

// Starts the program without a shell and without waiting: in a session of
// its own, so that it outlives the caller and no signal of the caller's
// terminal reaches it, with stdin from /dev/null and default signal
// handling.  0, or the errno value why nothing started; exec failures
// (missing, not executable, not a program) come back here too.  Nobody
// waits for the program: the caller ends right after, and init reaps it.
int spawnDetached(char *const argv[])
{
    posix_spawn_file_actions_t actions;
    if (int error = ::posix_spawn_file_actions_init(&actions))
        return error;
    posix_spawnattr_t attributes;
    if (int error = ::posix_spawnattr_init(&attributes)) {
        ::posix_spawn_file_actions_destroy(&actions);
        return error;
    }
    sigset_t none;
    sigset_t all;
    ::sigemptyset(&none);
    ::sigfillset(&all);
    int error
        = ::posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (!error)
        error = ::posix_spawnattr_setflags(
            &attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    if (!error)
        error = ::posix_spawnattr_setsigmask(&attributes, &none);
    if (!error)
        error = ::posix_spawnattr_setsigdefault(&attributes, &all);
    if (!error) {
        pid_t child = 0;
        error = ::posix_spawnp(&child, argv[0], &actions, &attributes, argv, environ);
    }
    ::posix_spawnattr_destroy(&attributes);
    ::posix_spawn_file_actions_destroy(&actions);
    return error;
}

bool onlyBlanks(const std::u16string &text)
{
    return text.find_first_not_of(u" \t\r\n") == std::u16string::npos;
}

} // namespace

bool StartProgram(const std::u16string &commandLine)
{
    // A line of blanks names no program: there is nothing to start, and
    // nothing went wrong.
    if (onlyBlanks(commandLine))
        return false;

    glong size = 0;
    gchar *bytes = ::g_utf16_to_utf8(reinterpret_cast<const gunichar2 *>(commandLine.data()),
        static_cast<glong>(commandLine.size()), nullptr, &size, nullptr);
    if (!bytes) {
        reportNotStarted({}, "its command line is not valid text");
        return false;
    }
    const std::string line(bytes, static_cast<std::size_t>(size));
    ::g_free(bytes);
    if (line.find('\0') != std::string::npos) {
        // The C string that the splitter takes would end there.
        reportNotStarted(line.substr(0, line.find('\0')), "its command line holds a NUL character");
        return false;
    }

    // POSIX shell quoting ('...', "...", backslashes), and no expansion at
    // all: no variables, no wildcards, no tilde.
    gint argc = 0;
    gchar **argv = nullptr;
    GError *error = nullptr;
    if (!::g_shell_parse_argv(line.c_str(), &argc, &argv, &error)) {
        const bool quoting = error->code == G_SHELL_ERROR_BAD_QUOTING;
        ::g_error_free(error);
        reportNotStarted(line,
            quoting ? "a quote is not closed, or the line ends in a backslash"
                    : "it names no program");
        return false;
    }
    const int failure = spawnDetached(argv);
    ::g_strfreev(argv);
    if (failure != 0) {
        reportNotStarted(line, systemReason(failure));
        return false;
    }
    return true;
}
