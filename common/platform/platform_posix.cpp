// POSIX side of the platform layer: smbclient stands in for the Messenger
// service, and hidden files are the dot-files.
#include "platform.h"

#include "smbclient/smbclientrunner.h"

#include <QByteArray>
#include <QString>

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray toUtf8(const std::u16string &text)
{
    return QString::fromStdU16String(text).toUtf8();
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
