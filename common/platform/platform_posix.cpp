// POSIX side of the platform layer: smbclient stands in for the Messenger
// service, hidden files are the dot-files, settings and text files are UTF-8
// (bytes that are not kept as they are) and replaced atomically.  Standard
// C++ and POSIX, but for StartProgram.
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
#include <fnmatch.h>
#include <pwd.h>
#include <sys/stat.h>
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

const savedfiles::FileAccess fileAccess {
    [](const std::u16string &text) { return utf8text::encode(text); },
    [](std::string_view bytes) { return utf8text::decode(bytes); },
    currentFile,
    replaceFiles,
};

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

bool BroadcastMessage(const std::u16string &sToUser, const std::u16string & /*sFromUser*/,
    const std::u16string &sMessage)
{
    // The text goes out as given, nothing added, in the receivers' code page;
    // a character that the code page cannot hold fails the send before
    // smbclient starts.
    return smbclient::sendMessage(sToUser, sMessage).outcome == smbclient::Outcome::Delivered;
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

std::u16string ReadProfileValue(const std::u16string &section, const std::u16string &key,
    const std::u16string &defaultValue, const std::u16string &path)
{
    const auto file = fileio::readWhole(utf8(path));
    if (!file)
        return defaultValue;
    const auto value = ini::read(*file, utf8(section), utf8(key));
    return value ? fromUtf8(*value) : defaultValue;
}

bool SaveProfileAndText(const std::u16string &profilePath, const std::vector<ProfileValue> &values,
    const std::u16string &textPath, const std::u16string &text)
{
    return savedfiles::save(fileAccess, profilePath, values, textPath, text);
}

bool WriteProfileValue(const std::u16string &section, const std::u16string &key,
    const std::u16string &value, const std::u16string &path)
{
    return savedfiles::save(fileAccess, path, {{section, key, value}}, std::nullopt, {});
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
    return savedfiles::save(fileAccess, std::nullopt, {}, path, text);
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

// The one use of Qt left here: its splitting of the command line.
#include <QProcess>
#include <QString>
#include <QStringList>

bool StartProgram(const std::u16string &commandLine)
{
    QStringList words = QProcess::splitCommand(QString::fromStdU16String(commandLine));
    if (words.isEmpty())
        return false;
    const QString program = words.takeFirst();
    return QProcess::startDetached(program, words);
}
