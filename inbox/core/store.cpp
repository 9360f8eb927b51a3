#include "store.h"

#include "fileio/fileio.h"
#include "posix/descriptor.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillbox {

namespace {

constexpr std::string_view stateMagic = "Quillbox-State: 1\n";
constexpr std::string_view indexMagic = "Quillbox-Index: 1\n";

struct FolderTime
{
    std::int64_t seconds = 0;
    long nanoseconds = 0;
    bool operator==(const FolderTime &) const = default;
};

std::optional<FolderTime> modificationTime(const std::string &folder)
{
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0)
        return std::nullopt;
    return FolderTime {st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
}

std::string timeText(FolderTime time)
{
    return std::to_string(time.seconds) + '.' + std::to_string(time.nanoseconds);
}

// The index's first lines, for the folder as it was at that time.
std::string indexHeader(FolderTime time)
{
    return std::string(indexMagic) + "folder " + timeText(time) + '\n';
}

std::vector<std::string> sorted(const std::unordered_set<std::string> &names)
{
    std::vector<std::string> list(names.begin(), names.end());
    std::sort(list.begin(), list.end());
    return list;
}

// Makes the folder and those above it that are missing, private as the
// XDG base directory rules ask: the messages are the user's.
int makeFolder(const std::string &path)
{
    if (::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST)
        return 0;
    if (errno != ENOENT)
        return errno;
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0)
        return ENOENT;
    if (const int error = makeFolder(path.substr(0, slash)))
        return error;
    return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST ? 0 : errno;
}

} // namespace

QString systemErrorText(int error)
{
    if (const char *description = ::strerrordesc_np(error))
        return QString::fromUtf8(description);
    return QStringLiteral("error %1").arg(error);
}

std::string formatState(const StoreState &state)
{
    std::string text(stateMagic);
    for (const std::string &name : sorted(state.deleted))
        text += "deleted " + name + '\n';
    return text;
}

std::optional<StoreState> parseState(std::string_view text)
{
    if (text.substr(0, stateMagic.size()) != stateMagic)
        return std::nullopt;
    text.remove_prefix(stateMagic.size());
    StoreState state;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos)
            return std::nullopt; // cut off
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        const std::size_t space = line.find(' ');
        if (space == std::string_view::npos)
            return std::nullopt;
        const std::string_view kind = line.substr(0, space);
        const std::string_view name = line.substr(space + 1);
        if (!record::isRecordName(name))
            return std::nullopt;
        if (kind == "deleted")
            state.deleted.emplace(name);
        else
            return std::nullopt;
    }
    return state;
}

Store::Store(std::string folder) : m_folder(std::move(folder)) { }

std::string Store::defaultFolder()
{
    const char *data = std::getenv("XDG_DATA_HOME");
    if (data && *data == '/')
        return std::string(data) + "/Quillbox";
    const char *home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.local/share/Quillbox";
}

std::string Store::messagePath(const std::string &name, bool read) const
{
    return m_folder + "/messages/" + name + (read ? std::string(readSuffix) : std::string());
}

std::string Store::statePath() const
{
    return m_folder + "/state";
}

Store::Listing Store::listMessages() const
{
    Listing listing;
    const std::string path = m_folder + "/messages";
    DIR *folder = ::opendir(path.c_str());
    if (!folder) {
        if (errno != ENOENT)
            listing.error = errno;
        return listing;
    }
    while (const dirent *entry = ::readdir(folder)) {
        std::string_view name = entry->d_name;
        const bool read = name.ends_with(readSuffix);
        if (read)
            name.remove_suffix(readSuffix.size());
        if (record::isRecordName(name))
            listing.messages.push_back({std::string(name), read});
    }
    ::closedir(folder);
    // Both a copy and its read twin (put there by hand, say): read.  The
    // read one sorts first and is the one kept.
    auto &messages = listing.messages;
    std::sort(messages.begin(), messages.end(), [](const Entry &a, const Entry &b) {
        return a.name != b.name ? a.name < b.name : a.read > b.read;
    });
    messages.erase(std::unique(messages.begin(), messages.end(),
                       [](const Entry &a, const Entry &b) { return a.name == b.name; }),
        messages.end());
    return listing;
}

std::string Store::indexPath() const
{
    return m_folder + "/index";
}

std::optional<Store::Listing> Store::indexedListing() const
{
    const auto folderTime = modificationTime(m_folder + "/messages");
    if (!folderTime)
        return std::nullopt;
    const fileio::FileContent content = fileio::readFile(indexPath());
    std::string_view text = content.bytes;
    const std::string header = indexHeader(*folderTime);
    if (!content.ok() || !text.starts_with(header))
        return std::nullopt;
    text.remove_prefix(header.size());

    Listing listing;
    listing.messages.reserve(text.size() / 40);
    for (;;) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos)
            return std::nullopt; // cut off
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        if (line.starts_with("end ")) {
            // The count, and nothing after it: the index is whole.
            if (!text.empty() || line.substr(4) != std::to_string(listing.messages.size()))
                return std::nullopt;
            return listing;
        }
        if (line.size() < 3 || (line[0] != 'r' && line[0] != 'u') || line[1] != ' ')
            return std::nullopt;
        const std::string_view name = line.substr(2);
        if (!record::isRecordName(name)
            || (!listing.messages.empty() && listing.messages.back().name >= name))
            return std::nullopt;
        listing.messages.push_back({std::string(name), line[0] == 'r'});
    }
}

Store::IndexWrite Store::writeIndex(std::int64_t now) const
{
    const std::string messages = m_folder + "/messages";
    const auto before = modificationTime(messages);
    if (!before)
        return IndexWrite::Failed;
    // A folder from the future (a clock set back) is never indexed.
    if (now < before->seconds)
        return IndexWrite::Failed;
    if (now - before->seconds < 2)
        return IndexWrite::Later;
    const Listing listing = listMessages();
    if (listing.error != 0)
        return IndexWrite::Failed;
    if (modificationTime(messages) != before)
        return IndexWrite::Later;

    std::string text = indexHeader(*before);
    text.reserve(text.size() + listing.messages.size() * 40 + 16);
    for (const Entry &entry : listing.messages) {
        text += entry.read ? "r " : "u ";
        text += entry.name;
        text += '\n';
    }
    text += "end " + std::to_string(listing.messages.size()) + '\n';
    // Written aside and renamed; a cache needs no sync.
    const std::string aside = indexPath() + ".new";
    posix::Descriptor file(
        ::open(aside.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!file.valid())
        return IndexWrite::Failed;
    const bool ok = posix::writeAll(file.get(), text) && file.close()
        && ::rename(aside.c_str(), indexPath().c_str()) == 0;
    if (!ok)
        ::unlink(aside.c_str());
    return ok ? IndexWrite::Written : IndexWrite::Failed;
}

Store::LoadedState Store::loadState() const
{
    LoadedState loaded;
    const fileio::FileContent content = fileio::readFile(statePath());
    if (content.failure == fileio::ReadFailure::System && content.errorNumber == ENOENT)
        return loaded;
    QString why;
    switch (content.failure) {
    case fileio::ReadFailure::None:
        break;
    case fileio::ReadFailure::System:
        why = systemErrorText(content.errorNumber);
        break;
    case fileio::ReadFailure::NotAFile:
        why = QStringLiteral("not a regular file");
        break;
    case fileio::ReadFailure::TooLarge:
        why = QStringLiteral("too large");
        break;
    }
    if (why.isEmpty()) {
        if (auto state = parseState(content.bytes))
            loaded.state = std::move(*state);
        else
            why = QStringLiteral("damaged");
    }
    loaded.problem = why;
    return loaded;
}

int Store::makeFolders()
{
    if (const int error = makeFolder(m_folder))
        return error;
    return makeFolder(m_folder + "/messages");
}

int Store::saveState(const StoreState &state)
{
    if (const int error = makeFolders())
        return error;
    int error = 0;
    return fileio::replaceAtomically(statePath(), formatState(state), &error) ? 0 : error;
}

int Store::addMessage(const std::string &name, std::string_view bytes)
{
    if (const int error = makeFolders())
        return error;
    int error = 0;
    return fileio::replaceAtomically(messagePath(name), bytes, &error) ? 0 : error;
}

int Store::markRead(const std::string &name)
{
    if (::rename(messagePath(name).c_str(), messagePath(name, true).c_str()) == 0)
        return 0;
    return errno;
}

int Store::removeMessage(const std::string &name)
{
    for (const bool read : {false, true}) {
        if (::unlink(messagePath(name, read).c_str()) != 0 && errno != ENOENT)
            return errno;
    }
    return 0;
}

Store::LoadedMessage Store::readMessage(const std::string &name, bool read) const
{
    LoadedMessage loaded;
    fileio::FileContent content = fileio::readFile(messagePath(name, read), record::maxRecordBytes);
    // A mark that could not be made leaves the copy under its other name.
    if (content.failure == fileio::ReadFailure::System && content.errorNumber == ENOENT)
        content = fileio::readFile(messagePath(name, !read), record::maxRecordBytes);
    switch (content.failure) {
    case fileio::ReadFailure::None: {
        const record::Parsed parsed = record::parse(content.bytes);
        if (parsed.ok())
            loaded.record = parsed.record;
        else
            loaded.problem = QStringLiteral("damaged");
        break;
    }
    case fileio::ReadFailure::System:
        loaded.problem = systemErrorText(content.errorNumber);
        break;
    case fileio::ReadFailure::NotAFile:
        loaded.problem = QStringLiteral("not a regular file");
        break;
    case fileio::ReadFailure::TooLarge:
        loaded.problem = QStringLiteral("too large");
        break;
    }
    return loaded;
}

} // namespace quillbox
