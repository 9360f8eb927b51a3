// A user's own copies of the messages, in ~/.local/share/Quillbox/ (or
// $XDG_DATA_HOME/Quillbox/):
//   messages/NAME       a message not read yet: the record as it lay in the
//                       spool, under its spool name;
//   messages/NAME.read  the same once read: marking a message read is one
//                       rename, and the start reads every mark from a single
//                       folder listing;
//   state               the spool records the user deleted, so that they are
//                       not taken again while the spool still holds them;
//   index               the listing of messages/ as it was at a given
//                       modification time of that folder: read at the start
//                       instead of listing a large folder again, and only
//                       while the folder has not changed since.
// Every file is written whole under another name, synced and renamed into
// place.  A file that could not be read is never written over.
#pragma once

#include "record.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace quillbox {

struct StoreState
{
    std::unordered_set<std::string> deleted;

    bool operator==(const StoreState &) const = default;
};

// The text of a state file, and back; nullopt when the text is not one.
std::string formatState(const StoreState &state);
std::optional<StoreState> parseState(std::string_view text);

class Store
{
public:
    explicit Store(std::string folder);

    // $XDG_DATA_HOME/Quillbox, or ~/.local/share/Quillbox.
    static std::string defaultFolder();

    static constexpr std::string_view readSuffix = ".read";

    const std::string &folder() const { return m_folder; }
    std::string messagePath(const std::string &name, bool read = false) const;
    std::string statePath() const;

    struct Entry
    {
        std::string name; // the spool record's name
        bool read = false;
    };
    struct Listing
    {
        std::vector<Entry> messages; // sorted: oldest first
        int error = 0; // errno; a store that does not exist yet is empty
    };
    Listing listMessages() const;

    // The listing from the index, when the index is whole and messages/ has
    // not changed since it was written; nullopt otherwise.
    std::optional<Listing> indexedListing() const;
    enum class IndexWrite {
        Written,
        Later, // messages/ changed within the last second or while it was listed
        Failed,
    };
    // Lists messages/ and writes the index for it.  It is written only for
    // a folder that has not changed for two seconds (now is the time in
    // seconds since the epoch), so that any later change gives the folder
    // another modification time.  Not synced: a cut index
    // is refused, and the folder is then listed.
    IndexWrite writeIndex(std::int64_t now) const;
    std::string indexPath() const;

    struct LoadedState
    {
        StoreState state;
        QString problem; // why the file could not be used; it is then left alone
    };
    LoadedState loadState() const;
    // 0, or the errno that stopped it.
    int saveState(const StoreState &state);

    // Writes a message's record, unread; 0, or the errno that stopped it.
    int addMessage(const std::string &name, std::string_view bytes);
    int markRead(const std::string &name);
    // Removes the copy, read or not.
    int removeMessage(const std::string &name);

    struct LoadedMessage
    {
        record::Record record;
        QString problem; // why it could not be read; empty when it was
    };
    LoadedMessage readMessage(const std::string &name, bool read) const;

private:
    int makeFolders();

    std::string m_folder;
};

QString systemErrorText(int error);

} // namespace quillbox
