#include "history.h"

#include "localecodec.h"

#include "fileio/fileio.h"

#include <cerrno>
#include <cwchar>
#include <cwctype>
#include <string>
#include <string_view>

#include <sys/stat.h>

namespace kvoll::history {

QByteArray filePath(const char *home)
{
    QByteArray path(home ? home : "");
    if (!path.endsWith('/'))
        path += '/';
    return path + ".kvoll";
}

QStringList parse(const QString &text)
{
    QStringList entries;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c != u'\n' && c != u'\r')
            continue;
        entries.append(text.sliced(start, i - start));
        if (c == u'\r' && i + 1 < size && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        entries.append(text.sliced(start));
    return entries;
}

QString serialize(const QStringList &entries)
{
    QString text;
    qsizetype size = 0;
    for (const QString &entry : entries)
        size += entry.size() + 1;
    text.reserve(size);
    for (const QString &entry : entries) {
        text += entry;
        text += u'\n';
    }
    return text;
}

namespace {

std::wstring upperCase(const QString &text)
{
    std::wstring wide = text.toStdWString();
    for (wchar_t &c : wide)
        c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    return wide;
}

} // namespace

qsizetype indexOf(const QStringList &entries, const QString &address)
{
    const std::wstring wanted = upperCase(address);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (std::wcscoll(upperCase(entries.at(i)).c_str(), wanted.c_str()) == 0)
            return i;
    }
    return -1;
}

LoadResult load(const QByteArray &path)
{
    // lstat, not access(): a link whose target cannot be reached is there
    // all the same, and must not be replaced as if it were missing.
    struct stat st;
    if (::lstat(path.constData(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return {};
        return {LoadStatus::Unusable, {}, Problem::System, errno};
    }

    auto file = fileio::readFile(path.toStdString(), static_cast<std::size_t>(maxFileSize));
    switch (file.failure) {
    case fileio::ReadFailure::None:
        break;
    case fileio::ReadFailure::System:
        // A dangling link: the save creates its target.
        if (S_ISLNK(st.st_mode) && file.errorNumber == ENOENT)
            return {};
        return {LoadStatus::Unusable, {}, Problem::System, file.errorNumber};
    case fileio::ReadFailure::NotAFile:
        return {LoadStatus::Unusable, {}, Problem::NotAFile, 0};
    case fileio::ReadFailure::TooLarge:
        return {LoadStatus::Unusable, {}, Problem::TooLarge, 0};
    }

    QByteArray data = QByteArray::fromStdString(file.bytes);
    const qsizetype nul = data.indexOf('\0');
    if (nul >= 0)
        data.truncate(nul);
    const auto text = fromLocale(data);
    if (!text)
        return {LoadStatus::Unusable, {}, Problem::NotText, 0};
    if (nul >= 0)
        return {LoadStatus::Unusable, parse(*text), Problem::HoldsNul, 0};
    return {LoadStatus::Loaded, parse(*text), Problem::None, 0};
}

SaveResult save(const QByteArray &path, const QStringList &entries)
{
    if (entries.isEmpty())
        return {};
    const auto bytes = toLocale(serialize(entries));
    if (!bytes)
        return {Problem::NotText, 0};
    int error = 0;
    if (!fileio::replaceAtomically(
            path.toStdString(), std::string_view(bytes->constData(), bytes->size()), &error))
        return {Problem::System, error};
    return {};
}

} // namespace kvoll::history
