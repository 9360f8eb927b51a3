// The messages one user sees: the copies in the user's store, and what the
// spool holds that the user has not seen yet.  A spool record is taken by
// copying it into the store; the spool is never changed.  Plain logic,
// without widgets: the window and the tests work on it alike.
//
// What may happen at any moment without losing a message:
//   - killed before a record's copy is renamed into the store: the record
//     is still in the spool and is taken at the next start;
//   - killed after that, before anything else: the copy is in the store and
//     counts as unread (a copy is marked read by renaming it);
//   - killed while deleting: the deletion is written down before the copy
//     is removed, and finished at the next start.
#pragma once

#include "spool.h"
#include "store.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace quillbox {

class Inbox
{
public:
    Inbox(Spool spool, Store store);

    struct Message
    {
        std::string name; // the spool record's name; sorts by arrival
        bool unread = true;
        bool stored = true; // false while the store cannot take its copy
    };
    struct Content
    {
        record::Record record;
        QString problem; // why the stored copy could not be read
    };

    // Loads the store, finishes an interrupted deletion, and takes what is
    // new in the spool.  Returns the names taken from the spool.
    std::vector<std::string> open();
    // Takes the records of the spool that the user has not seen yet; copies
    // that the store could not take before are tried again.  Returns the
    // names taken, oldest first.
    std::vector<std::string> takeNew();

    int count() const { return int(m_messages.size()); }
    const Message &message(int index) const { return m_messages[std::size_t(index)]; }
    int indexOf(const std::string &name) const;
    // The record of a message, read from the store the first time it is
    // asked for.
    const Content &content(int index);

    int unreadCount() const { return m_unread; }
    // The oldest unread message, or -1.
    int firstUnread() const;

    void markRead(int index);
    void remove(int index);

    // What the user should be told, each thing once; taken by the caller.
    QStringList takeNotices();

    // Whether open() read the store's listing from its index.
    bool listedFromIndex() const { return m_indexed; }

    const Spool &spool() const { return m_spool; }
    const Store &store() const { return m_store; }

private:
    void tell(const QString &key, const QString &text);
    void settled(const QString &key) { m_told.remove(key); }
    bool saveState();
    void keepReadMark(const std::string &name);
    bool seen(const std::string &name) const;
    void storeCopy(Message &message, const std::string &bytes);

    Spool m_spool;
    Store m_store;
    std::vector<Message> m_messages;
    std::unordered_map<std::string, Content> m_contents;
    // The bytes of the copies the store could not take yet.
    std::unordered_map<std::string, std::string> m_unstored;
    StoreState m_state;
    bool m_stateUsable = true;
    bool m_indexed = false;
    std::unordered_set<std::string> m_refused; // spool entries already told about
    int m_unread = 0;
    QSet<QString> m_told;
    QStringList m_notices;
};

} // namespace quillbox
