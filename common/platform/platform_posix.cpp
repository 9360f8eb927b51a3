// POSIX side of the platform layer: smbclient stands in for the Messenger
// service, hidden files are the dot-files, settings and text files are UTF-8
// (bytes that are not kept as they are) and replaced atomically.  Standard
// C++ and POSIX, and GLib's shell-style splitting of a command line.
#include "platform.h"

#include "fileio/fileio.h"
#include "ini/ini.h"
#include "savedfiles.h"
#include "smbclient/smbclientrunner.h"
#include "utf8text.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <glib.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <syslog.h>
#include <unistd.h>

static_assert(largestFile == fileio::maxFileSize, "one limit for every file the programs read");

namespace {

// Text that cannot be had in UTF-8 (a lone surrogate that is no escaped
// byte) stands for no path and no name: it becomes a NUL, which no call
// takes.
std::string utf8(const std::u16string &text)
{
    return utf8text::encode(text).value_or(std::string(1, '\0'));
}

std::u16string fromUtf8(std::string_view bytes)
{
    return utf8text::decode(bytes);
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

bool isOrdinaryFile(const std::string &path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool isHidden(std::string_view name)
{
    return name.starts_with('.');
}

savedfiles::Current currentFile(const std::u16string &path)
{
    fileio::FileContent content = fileio::readFile(utf8(path));
    if (content.ok())
        return {savedfiles::Current::Present, std::move(content.bytes)};
    if (content.failure == fileio::ReadFailure::System && content.errorNumber == ENOENT)
        return {savedfiles::Current::Missing, {}};
    return {savedfiles::Current::Unusable, {}};
}

// A file without any write permission is not replaced, even by root:
// Windows keeps its read-only files, and so do we.
bool readOnly(const std::string &path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0;
}

bool replaceFiles(const std::vector<savedfiles::NewContent> &files)
{
    std::vector<fileio::Replacement> replacements;
    for (const savedfiles::NewContent &file : files) {
        replacements.push_back({utf8(file.path), file.bytes});
        if (readOnly(replacements.back().path))
            return false;
    }
    return fileio::replaceTogether(replacements);
}

std::string withoutTrailingSlashes(std::string path)
{
    while (!path.empty() && path.back() == '/')
        path.pop_back();
    return path;
}

// $XDG_CONFIG_HOME, or ~/.config when it is unset or not absolute.
std::string configFolder()
{
    const char *config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/')
        return withoutTrailingSlashes(config);
    std::string home;
    if (const char *variable = std::getenv("HOME"); variable && *variable)
        home = variable;
    else if (const passwd *user = ::getpwuid(::getuid()))
        home = user->pw_dir;
    return withoutTrailingSlashes(home) + "/.config";
}

// The name of the running program file.
std::string programName()
{
    std::error_code error;
    std::string path = std::filesystem::read_symlink("/proc/self/exe", error).string();
    // A program file replaced while it runs (an upgrade) still names itself.
    constexpr std::string_view deleted = " (deleted)";
    if (path.ends_with(deleted))
        path.resize(path.size() - deleted.size());
    return path.substr(path.rfind('/') + 1);
}

} // namespace

const savedfiles::FileAccess &savedfiles::platformFiles()
{
    static const FileAccess files {
        [](const std::u16string &text) { return utf8text::encode(text); },
        [](std::string_view bytes) { return utf8text::decode(bytes); },
        currentFile,
        replaceFiles,
    };
    return files;
}

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

std::u16string ComputerName()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return {};
    return fromUtf8(name);
}

std::u16string AddSlash(std::u16string AddPath)
{
    if (AddPath.empty() || AddPath.back() != u'/')
        AddPath.push_back(u'/');
    return AddPath;
}

bool FileExists(const std::u16string &sSource)
{
    const std::string path = utf8(sSource);
    if (path.empty())
        return false;
    const std::size_t slash = path.rfind('/');
    const std::string folder
        = slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
    std::string pattern = slash == std::string::npos ? path : path.substr(slash + 1);
    if (pattern.empty() || isHidden(pattern))
        return false;

    if (pattern.find_first_of("*?") == std::string::npos)
        return isOrdinaryFile(path);

    // "*.*" is "every file" on Windows, extension or not.
    if (pattern == "*.*")
        pattern = "*";
    DIR *dir = ::opendir(folder.c_str());
    if (!dir)
        return false;
    bool found = false;
    while (const dirent *entry = ::readdir(dir)) {
        const std::string name(entry->d_name);
        if (isHidden(name) || ::fnmatch(pattern.c_str(), name.c_str(), FNM_NOESCAPE) != 0)
            continue;
        if (isOrdinaryFile(slash == std::string::npos ? name : folder + name)) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

std::u16string ProgramFolder()
{
    return fromUtf8(configFolder() + '/' + programName());
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

    // Bytes of the settings file that are no UTF-8 go back as they were.
    const std::optional<std::string> encoded = utf8text::encode(commandLine);
    if (!encoded) {
        reportNotStarted({}, "its command line is not valid text");
        return false;
    }
    const std::string &line = *encoded;
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
