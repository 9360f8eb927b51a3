#include "notifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace quillbox {

namespace {

const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
constexpr qsizetype bodyCharacters = 200;

} // namespace

Announcement announcementFor(const QStringList &senders, const QString &firstText)
{
    Announcement announcement;
    if (senders.size() == 1) {
        announcement.summary = QStringLiteral("Message from %1").arg(senders.first());
        QString text = firstText.simplified();
        if (text.size() > bodyCharacters)
            text = text.left(bodyCharacters - 1) + QChar(0x2026);
        announcement.body = text.toHtmlEscaped();
    } else {
        announcement.summary = QStringLiteral("%1 new messages").arg(senders.size());
        QStringList unique;
        for (const QString &sender : senders) {
            if (!unique.contains(sender))
                unique.append(sender);
        }
        announcement.body = QStringLiteral("From %1")
                                .arg(unique.join(QStringLiteral(", ")))
                                .left(bodyCharacters)
                                .toHtmlEscaped();
    }
    return announcement;
}

DesktopNotifier::DesktopNotifier(const QDBusConnection &bus, QObject *parent)
    : QObject(parent), m_bus(bus)
{
    if (m_bus.isConnected())
        m_bus.connect(service, path, service, QStringLiteral("ActionInvoked"), this,
            SLOT(actionInvoked(uint, QString)));
}

void DesktopNotifier::announce(const Announcement &announcement)
{
    if (!m_bus.isConnected())
        return;
    QDBusMessage call
        = QDBusMessage::createMethodCall(service, path, service, QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("quillbox"));
    hints.insert(QStringLiteral("category"), QStringLiteral("im.received"));
    call << QStringLiteral("Quillbox") << m_lastId << QStringLiteral("quillbox")
         << announcement.summary << announcement.body
         << QStringList {QStringLiteral("default"), QStringLiteral("Show")} << hints << qint32(-1);
    // Asynchronous: a slow or missing service must not hold up the window.
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
        const QDBusPendingReply<uint> reply = *w;
        if (reply.isValid())
            m_lastId = reply.value();
        w->deleteLater();
    });
}

void DesktopNotifier::actionInvoked(uint id, const QString &action)
{
    if (id == m_lastId && action == QLatin1String("default"))
        emit activated();
}

} // namespace quillbox
