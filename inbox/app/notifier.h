// Announces new messages on the desktop through the freedesktop
// notification service on the session bus.  Without a bus or a service
// nothing is announced, and nothing waits for one.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>

namespace quillbox {

struct Announcement
{
    QString summary;
    QString body; // markup-escaped: some services read the body as markup
};

// One announcement for the messages taken in one go: the sender and the
// beginning of the text for one, the senders for several.  senders and
// texts are shown the way the window shows them.
Announcement announcementFor(const QStringList &senders, const QString &firstText);

class DesktopNotifier : public QObject
{
    Q_OBJECT
public:
    explicit DesktopNotifier(const QDBusConnection &bus, QObject *parent = nullptr);

    // Replaces the previous announcement, so that a burst of messages
    // leaves one bubble.
    void announce(const Announcement &announcement);

signals:
    // The user clicked the announcement.
    void activated();

private slots:
    void actionInvoked(uint id, const QString &action);

private:
    QDBusConnection m_bus;
    uint m_lastId = 0;
};

} // namespace quillbox
