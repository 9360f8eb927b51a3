// POSIX side of the platform layer: smbclient stands in for the Messenger
// service, hidden files are the dot-files, settings and text files are UTF-8
// and replaced atomically.
#include "platform.h"

#include "fileio/fileio.h"
#include "ini/ini.h"
#include "smbclient/smbclientrunner.h"

#include <QByteArray>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
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

bool StartProgram(const std::u16string &commandLine)
{
    QStringList words = QProcess::splitCommand(QString::fromStdU16String(commandLine));
    if (words.isEmpty())
        return false;
    const QString program = words.takeFirst();
    return QProcess::startDetached(program, words);
}
