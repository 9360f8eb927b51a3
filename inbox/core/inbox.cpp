#include "inbox.h"

#include <algorithm>
#include <cerrno>
#include <utility>

namespace quillbox {

namespace {

QString path(const std::string &bytes)
{
    return QString::fromLocal8Bit(bytes.data(), qsizetype(bytes.size()));
}

QString name(const std::string &bytes)
{
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

bool byName(const Inbox::Message &message, const std::string &name)
{
    return message.name < name;
}

} // namespace

Inbox::Inbox(Spool spool, Store store) : m_spool(std::move(spool)), m_store(std::move(store)) { }

std::vector<std::string> Inbox::open()
{
    // A large store is listed from its index while messages/ is unchanged.
    std::optional<Store::Listing> indexed = m_store.indexedListing();
    m_indexed = indexed.has_value();
    Store::Listing stored = m_indexed ? std::move(*indexed) : m_store.listMessages();
    if (stored.error != 0)
        tell(QStringLiteral("store listing"),
            QStringLiteral("Your saved messages in %1 could not be read: %2. Nothing there was "
                           "changed.")
                .arg(path(m_store.folder()), systemErrorText(stored.error)));

    Store::LoadedState loaded = m_store.loadState();
    m_stateUsable = loaded.problem.isEmpty();
    if (!m_stateUsable)
        tell(QStringLiteral("state"),
            QStringLiteral("The list of deleted messages %1 could not be read (%2). It was left "
                           "as it is; what you delete now may come back once Quillbox ends.")
                .arg(path(m_store.statePath()), loaded.problem));
    m_state = std::move(loaded.state);

    m_messages.clear();
    m_messages.reserve(stored.messages.size());
    for (Store::Entry &entry : stored.messages) {
        if (m_state.deleted.count(entry.name)) {
            // A deletion that was written down but not finished.
            m_store.removeMessage(entry.name);
            continue;
        }
        m_unread += !entry.read;
        m_messages.push_back({std::move(entry.name), !entry.read, true});
    }
    return takeNew();
}

bool Inbox::seen(const std::string &name) const
{
    return m_state.deleted.count(name) || indexOf(name) >= 0;
}

int Inbox::indexOf(const std::string &name) const
{
    const auto it = std::lower_bound(m_messages.begin(), m_messages.end(), name, byName);
    return it != m_messages.end() && it->name == name ? int(it - m_messages.begin()) : -1;
}

void Inbox::storeCopy(Message &message, const std::string &bytes)
{
    const int error = m_store.addMessage(message.name, bytes);
    message.stored = error == 0;
    if (message.stored) {
        m_unstored.erase(message.name);
        settled(QStringLiteral("store full"));
        // Read while the store could not take it.
        if (!message.unread)
            keepReadMark(message.name);
        return;
    }
    m_unstored[message.name] = bytes;
    tell(QStringLiteral("store full"),
        QStringLiteral("New messages could not be saved in %1: %2. They stay in the spool for 30 "
                       "days; Quillbox tries again with the next message.")
            .arg(path(m_store.folder()), systemErrorText(error)));
}

std::vector<std::string> Inbox::takeNew()
{
    // Copies the store could not take before.
    for (Message &message : m_messages) {
        if (!message.stored)
            storeCopy(message, m_unstored[message.name]);
    }

    const SpoolListing listing = m_spool.list();
    if (listing.error != 0) {
        // A missing spool is what the set-up line reports.
        if (listing.error != ENOENT)
            tell(QStringLiteral("spool"),
                QStringLiteral("The spool %1 cannot be read: %2.")
                    .arg(path(m_spool.path()), systemErrorText(listing.error)));
        return {};
    }
    settled(QStringLiteral("spool"));

    std::vector<std::string> taken;
    for (const std::string &entry : listing.names) {
        if (seen(entry) || m_refused.count(entry))
            continue;
        SpoolRecord found = m_spool.read(entry);
        if (!found.problem.isEmpty()) {
            m_refused.insert(entry);
            tell(QStringLiteral("refused ") + name(entry),
                QStringLiteral("Ignored %1 in the spool %2: it %3.")
                    .arg(name(entry), path(m_spool.path()), found.problem));
            continue;
        }
        Message message {entry, true, true};
        storeCopy(message, found.bytes);
        const auto at = std::lower_bound(m_messages.begin(), m_messages.end(), entry, byName);
        m_messages.insert(at, message);
        m_contents[entry] = {std::move(found.record), {}};
        ++m_unread;
        taken.push_back(entry);
    }

    // A deletion need not be remembered once the spool has let go of the
    // record.
    if (m_stateUsable) {
        const std::unordered_set<std::string> present(listing.names.begin(), listing.names.end());
        const auto before = m_state.deleted.size();
        std::erase_if(m_state.deleted, [&](const std::string &n) { return !present.count(n); });
        if (m_state.deleted.size() != before)
            saveState();
    }
    return taken;
}

const Inbox::Content &Inbox::content(int index)
{
    const std::string &key = m_messages[std::size_t(index)].name;
    auto it = m_contents.find(key);
    if (it != m_contents.end())
        return it->second;
    Store::LoadedMessage loaded = m_store.readMessage(key, !m_messages[std::size_t(index)].unread);
    if (!loaded.problem.isEmpty())
        tell(QStringLiteral("unreadable ") + name(key),
            QStringLiteral("The saved message %1 could not be read (%2); it was left as it is.")
                .arg(path(m_store.messagePath(key)), loaded.problem));
    return m_contents[key] = {std::move(loaded.record), loaded.problem};
}

int Inbox::firstUnread() const
{
    for (std::size_t i = 0; i < m_messages.size(); ++i) {
        if (m_messages[i].unread)
            return int(i);
    }
    return -1;
}

void Inbox::markRead(int index)
{
    Message &message = m_messages[std::size_t(index)];
    if (!message.unread)
        return;
    message.unread = false;
    --m_unread;
    if (message.stored)
        keepReadMark(message.name);
}

void Inbox::keepReadMark(const std::string &name)
{
    const int error = m_store.markRead(name);
    if (error == 0) {
        settled(QStringLiteral("mark"));
        return;
    }
    tell(QStringLiteral("mark"),
        QStringLiteral("Which messages you read could not be saved in %1: %2.")
            .arg(path(m_store.folder()), systemErrorText(error)));
}

void Inbox::remove(int index)
{
    const Message message = m_messages[std::size_t(index)];
    m_state.deleted.insert(message.name);
    // Written down first: a copy removed without it would come back from
    // the spool as a new message.
    if (saveState() && message.stored)
        m_store.removeMessage(message.name);
    m_messages.erase(m_messages.begin() + index);
    m_contents.erase(message.name);
    m_unstored.erase(message.name);
    m_unread -= message.unread;
}

bool Inbox::saveState()
{
    if (!m_stateUsable)
        return false;
    const int error = m_store.saveState(m_state);
    if (error == 0) {
        settled(QStringLiteral("state save"));
        return true;
    }
    tell(QStringLiteral("state save"),
        QStringLiteral("Which messages you deleted could not be saved to %1: %2.")
            .arg(path(m_store.statePath()), systemErrorText(error)));
    return false;
}

void Inbox::tell(const QString &key, const QString &text)
{
    if (m_told.contains(key))
        return;
    m_told.insert(key);
    m_notices.append(text);
}

QStringList Inbox::takeNotices()
{
    return std::exchange(m_notices, {});
}

} // namespace quillbox
