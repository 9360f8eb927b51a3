// A user's own copies of the messages, in ~/.local/share/Quillbox/ (or
// $XDG_DATA_HOME/Quillbox/):
//   messages/NAME  one record per message, as it lay in the spool;
//   state          which of them the user has read, and which spool records
//                  the user deleted (so that they are not taken again).
// Every file is written whole under another name, synced and renamed into
// place.  A file that could not be read is never written over.
#pragma once

#include "record.h"

#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace quillbox {

struct StoreState
{
    std::unordered_set<std::string> read;
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

    const std::string &folder() const { return m_folder; }
    std::string messagePath(const std::string &name) const;
    std::string statePath() const;

    struct Listing
    {
        std::vector<std::string> names; // sorted: oldest first
        int error = 0; // errno; a store that does not exist yet is empty
    };
    Listing listMessages() const;

    struct LoadedState
    {
        StoreState state;
        QString problem; // why the file could not be used; it is then left alone
    };
    LoadedState loadState() const;
    // 0, or the errno that stopped it.
    int saveState(const StoreState &state);

    // Writes a message's record; 0, or the errno that stopped it.
    int addMessage(const std::string &name, std::string_view bytes);
    int removeMessage(const std::string &name);

    struct LoadedMessage
    {
        record::Record record;
        QString problem; // why it could not be read; empty when it was
    };
    LoadedMessage readMessage(const std::string &name) const;

private:
    int makeFolders();

    std::string m_folder;
};

QString systemErrorText(int error);

} // namespace quillbox
