// A real Samba receiver for end-to-end tests: smbd in a folder of its own,
// listening on port 139 of one loopback address, delivering every message it
// accepts into an inbox.  Port 139 needs root; the tests run in a network
// namespace of their own so that nothing clashes and nothing leaves it.
#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <atomic>
#include <thread>
#include <vector>

// Moves the calling process into a new network namespace holding only an
// active loopback interface.  Call it first thing in main(), before any
// thread starts.  Returns why it could not, or an empty string.
QString enterPrivateNetwork();

// The dos charset the senders of a test run use.  The run's environment
// may name one in QUILLON_E2E_DOS_CHARSET; SMB_CONF_PATH is then pointed at a
// client configuration of this object's own that names it (and, like the
// tests' own configuration, looks names up in lmhosts only).
class SenderCharset
{
public:
    SenderCharset();

    // The set named for this run; empty when smbclient keeps its default.
    QByteArray named() const { return m_named; }
    // The set that is used: the one named, or CP850.
    QByteArray used() const { return m_named.isEmpty() ? QByteArray("CP850") : m_named; }
    // Why the configuration could not be written, or an empty string.
    QString problem() const { return m_problem; }

private:
    QByteArray m_named;
    QString m_problem;
    QTemporaryDir m_dir;
};

class SambaReceiver
{
public:
    enum class Protocol {
        Nt1, // accepts the messages smbclient -M sends
        Default, // smbd's own minimum protocol: drops them, smbclient still exits 0
    };

    struct Message
    {
        // smbd decodes the bytes on the wire with its dos charset and writes
        // them in its unix charset, UTF-8; bytes it cannot decode it writes
        // as they came.
        QByteArray text;
        QByteArray sender;
        QByteArray calledAddress;

        QString decodedText() const { return QString::fromUtf8(text); }
    };

    // dosCharset: the code page smbd expects on the wire; empty for Samba's
    // default, CP850.  answerAfterSeconds: how long each message takes to be
    // delivered before smbd answers the sender (a slow but live receiver).
    SambaReceiver(const QString &address, Protocol protocol = Protocol::Nt1,
        const QByteArray &dosCharset = {}, int answerAfterSeconds = 0);
    ~SambaReceiver();
    SambaReceiver(const SambaReceiver &) = delete;
    SambaReceiver &operator=(const SambaReceiver &) = delete;

    // The message command smbd runs instead of the one that fills messages();
    // "%s", "%f", "%L" are smbd's.  Set before start().
    void setMessageCommand(const QByteArray &command) { m_messageCommand = command; }
    // smbd's temporary folder, where it writes each message's file.
    QString temporaryFolder() const { return m_dir.filePath(QStringLiteral("tmp")); }

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
    QByteArray m_dosCharset;
    int m_answerAfterSeconds;
    QByteArray m_messageCommand;
    QTemporaryDir m_dir;
    QProcess m_smbd;
};

// Hosts that take a connection on port 139 and never answer: one listening
// socket per address, every connection accepted and held open.
class MutePeers
{
public:
    explicit MutePeers(const QStringList &addresses);
    ~MutePeers();
    MutePeers(const MutePeers &) = delete;
    MutePeers &operator=(const MutePeers &) = delete;

    // Why an address could not be listened on, or an empty string.
    QString problem() const { return m_problem; }
    // Connections taken so far.
    int connections() const { return m_connections; }

private:
    void run();

    int m_epoll = -1;
    std::vector<int> m_listeners;
    std::vector<int> m_taken;
    std::atomic<int> m_connections = 0;
    std::atomic<bool> m_stop = false;
    QString m_problem;
    std::thread m_thread;
};

// Makes the hosts of an IPv4 network (CIDR) drop every connection attempt to
// their port 139, with an nftables rule in the current network namespace.
// Returns why it could not, or an empty string.
QString dropConnectionsTo(const QString &network);
