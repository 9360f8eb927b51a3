// A real Samba receiver for end-to-end tests: smbd in a folder of its own,
// listening on port 139 of one loopback address, delivering every message it
// accepts into an inbox.  Port 139 needs root; the tests run in a network
// namespace of their own so that nothing clashes and nothing leaves it.
#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// Moves the calling process into a new network namespace holding only an
// active loopback interface.  Call it first thing in main(), before any
// thread starts.  Returns why it could not, or an empty string.
QString enterPrivateNetwork();

class SambaReceiver
{
public:
    enum class Protocol {
        Nt1,     // accepts the messages smbclient -M sends
        Default, // smbd's own minimum protocol: drops them, smbclient still exits 0
    };

    struct Message
    {
        QByteArray text;
        QByteArray sender;
        QByteArray calledAddress;
    };

    SambaReceiver(const QString &address, Protocol protocol = Protocol::Nt1);
    ~SambaReceiver();
    SambaReceiver(const SambaReceiver &) = delete;
    SambaReceiver &operator=(const SambaReceiver &) = delete;

    // Starts smbd and waits until it answers on port 139.  Returns why it
    // could not, or an empty string.
    QString start();

    // The messages received so far, oldest first.
    QList<Message> messages() const;
    void clear();

    QString address() const { return m_address; }

private:
    QString m_address;
    Protocol m_protocol;
    QTemporaryDir m_dir;
    QProcess m_smbd;
};
