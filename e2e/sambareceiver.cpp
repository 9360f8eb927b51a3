#include "sambareceiver.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <net/if.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/epoll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QStringList systemFolders {"/usr/sbin", "/sbin", "/usr/bin", "/bin"};

QString systemTool(const QString &name)
{
    return QStandardPaths::findExecutable(name, systemFolders);
}

bool bringUpLoopback()
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    ifreq request {};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    bool ok = ::ioctl(fd, SIOCGIFFLAGS, &request) == 0;
    request.ifr_flags |= IFF_UP | IFF_RUNNING;
    ok = ok && ::ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    ::close(fd);
    return ok;
}

bool answers(const QString &address, int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in peer {};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<uint16_t>(port));
    ::inet_pton(AF_INET, address.toLatin1().constData(), &peer.sin_addr);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr *>(&peer), sizeof peer) == 0;
    ::close(fd);
    return ok;
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

QString enterPrivateNetwork()
{
    if (::geteuid() != 0)
        return QStringLiteral("needs root (a network namespace and port 139)");
    if (::unshare(CLONE_NEWNET) != 0)
        return QStringLiteral("cannot make a network namespace: %1")
            .arg(QString::fromLocal8Bit(std::strerror(errno)));
    if (!bringUpLoopback())
        return QStringLiteral("cannot bring up the loopback interface");
    return {};
}

SenderCharset::SenderCharset() : m_named(qgetenv("QUILLON_E2E_DOS_CHARSET"))
{
    if (m_named.isEmpty())
        return;
    // Written the way people write smb.conf: case and blanks of the names as
    // they come.
    const QByteArray conf = "[ Global ]\n"
                            "\t# no name queries onto the network\n"
                            "\tname resolve order = lmhosts\n"
                            "\tDOS  Charset = "
        + m_named + "\n";
    const QString path = m_dir.filePath(QStringLiteral("smb.conf"));
    if (!m_dir.isValid() || !writeFile(path, conf)) {
        m_problem = QStringLiteral("cannot write the client configuration");
        return;
    }
    qputenv("SMB_CONF_PATH", QFile::encodeName(path));
}

SambaReceiver::SambaReceiver(
    const QString &address, Protocol protocol, const QByteArray &dosCharset, int answerAfterSeconds)
    : m_address(address), m_protocol(protocol), m_dosCharset(dosCharset),
      m_answerAfterSeconds(answerAfterSeconds)
{
}

SambaReceiver::~SambaReceiver()
{
    if (m_smbd.state() != QProcess::NotRunning) {
        m_smbd.terminate();
        if (!m_smbd.waitForFinished(5000)) {
            m_smbd.kill();
            m_smbd.waitForFinished(2000);
        }
    }
}

QString SambaReceiver::start()
{
    const QString smbd = systemTool(QStringLiteral("smbd"));
    const QString ip = systemTool(QStringLiteral("ip"));
    if (smbd.isEmpty())
        return QStringLiteral("smbd is not installed (Debian package samba)");
    if (ip.isEmpty())
        return QStringLiteral("ip is not installed (Debian package iproute2)");
    if (!m_dir.isValid())
        return QStringLiteral("no temporary folder");

    // smbd runs the message command as the guest account: it must be able to
    // reach the folder and write the inbox and its own temporary folder.
    const QString d = m_dir.path();
    QFile::setPermissions(d,
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
            | QFile::ReadOther | QFile::ExeOther);
    for (const char *sub : {"inbox", "tmp", "log", "private", "lock", "state", "cache", "pid"})
        QDir(d).mkdir(QString::fromLatin1(sub));
    for (const char *open : {"inbox", "tmp"})
        ::chmod(QFile::encodeName(d + u'/' + QString::fromLatin1(open)).constData(), 01777);

    const QByteArray dir = QFile::encodeName(d);
    const QByteArray pause = m_answerAfterSeconds > 0
        ? "/bin/sleep " + QByteArray::number(m_answerAfterSeconds) + "\n"
        : QByteArray();
    writeFile(d + QStringLiteral("/deliver.sh"),
        pause + "n=" + dir
            + "/inbox/$(/bin/date +%s%N)-$$\n"
              "/bin/cat \"$1\" > \"$n.part\" && /bin/rm -f \"$1\"\n"
              "printf '%s\\n%s\\n' \"$2\" \"$3\" > \"$n.meta\"\n"
              "/bin/mv \"$n.part\" \"$n.msg\"\n");

    QByteArray conf = "[global]\n";
    if (m_protocol == Protocol::Nt1)
        conf += "server min protocol = NT1\n";
    if (!m_dosCharset.isEmpty())
        conf += "dos charset = " + m_dosCharset + "\n";
    conf += "smb ports = 139\n"
            "interfaces = "
        + m_address.toLatin1()
        + "\n"
          "bind interfaces only = yes\n"
          "disable netbios = yes\n"
          "load printers = no\n"
          "printcap name = /dev/null\n"
          "disable spoolss = yes\n"
          "lock directory = "
        + dir
        + "/lock\n"
          "state directory = "
        + dir
        + "/state\n"
          "cache directory = "
        + dir
        + "/cache\n"
          "pid directory = "
        + dir
        + "/pid\n"
          "private dir = "
        + dir
        + "/private\n"
          "ncalrpc dir = "
        + dir
        + "/ncalrpc\n"
          "binddns dir = "
        + dir
        + "/binddns\n"
          "usershare path = "
        + dir
        + "/usershare\n"
          "log file = "
        + dir
        + "/log/log.smbd\n"
          "message command = "
        + (m_messageCommand.isEmpty() ? "/bin/sh " + dir + "/deliver.sh %s '%f' '%i'"
                                      : m_messageCommand)
        + "\n";
    writeFile(d + QStringLiteral("/smb.conf"), conf);

    QProcess addAddress;
    addAddress.start(ip, {"addr", "add", m_address + QStringLiteral("/32"), "dev", "lo"});
    addAddress.waitForFinished();
    // An address already there (a second receiver) is fine.

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), d + QStringLiteral("/tmp"));
    env.remove(QStringLiteral("SMB_CONF_PATH"));
    m_smbd.setProcessEnvironment(env);
    m_smbd.setStandardInputFile(QProcess::nullDevice());
    m_smbd.setStandardOutputFile(d + QStringLiteral("/log/stdout"));
    m_smbd.setStandardErrorFile(d + QStringLiteral("/log/stderr"));
    // smbd signals its whole process group when it ends; a session of its own
    // keeps that away from the test and whatever started it.
    m_smbd.setChildProcessModifier([] { ::setsid(); });
    m_smbd.start(smbd,
        {"--foreground", "--no-process-group", "-s", d + QStringLiteral("/smb.conf"), "-l",
            d + QStringLiteral("/log")});
    if (!m_smbd.waitForStarted())
        return QStringLiteral("smbd did not start");

    const QDeadlineTimer deadline(15000);
    while (!answers(m_address, 139)) {
        if (m_smbd.state() == QProcess::NotRunning)
            return QStringLiteral("smbd ended: %1")
                .arg(QString::fromLocal8Bit(readFile(d + "/log/log.smbd").right(2000)));
        if (deadline.hasExpired())
            return QStringLiteral("smbd does not answer on %1:139").arg(m_address);
        QThread::msleep(20);
    }
    return {};
}

QList<SambaReceiver::Message> SambaReceiver::messages() const
{
    QList<Message> list;
    const QDir inbox(m_dir.filePath(QStringLiteral("inbox")));
    for (const QString &name : inbox.entryList({"*.msg"}, QDir::Files, QDir::Name)) {
        const QString base = inbox.filePath(name.chopped(4));
        const QList<QByteArray> meta = readFile(base + ".meta").split('\n');
        list.append({readFile(base + ".msg"), meta.value(0), meta.value(1)});
    }
    return list;
}

void SambaReceiver::clear()
{
    QDir inbox(m_dir.filePath(QStringLiteral("inbox")));
    for (const QString &name : inbox.entryList(QDir::Files))
        inbox.remove(name);
}

MutePeers::MutePeers(const QStringList &addresses)
{
    m_epoll = ::epoll_create1(EPOLL_CLOEXEC);
    for (const QString &address : addresses) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        const int yes = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in at {};
        at.sin_family = AF_INET;
        at.sin_port = htons(139);
        ::inet_pton(AF_INET, address.toLatin1().constData(), &at.sin_addr);
        if (::bind(fd, reinterpret_cast<sockaddr *>(&at), sizeof at) != 0
            || ::listen(fd, 512) != 0) {
            m_problem = QStringLiteral("cannot listen on %1:139: %2")
                            .arg(address, QString::fromLocal8Bit(std::strerror(errno)));
            ::close(fd);
            continue;
        }
        epoll_event event {};
        event.events = EPOLLIN;
        event.data.fd = fd;
        ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &event);
        m_listeners.push_back(fd);
    }
    m_thread = std::thread([this] { run(); });
}

MutePeers::~MutePeers()
{
    m_stop = true;
    m_thread.join();
    for (const int fd : m_listeners)
        ::close(fd);
    for (const int fd : m_taken)
        ::close(fd);
    ::close(m_epoll);
}

void MutePeers::run()
{
    epoll_event events[64];
    while (!m_stop) {
        const int n = ::epoll_wait(m_epoll, events, 64, 100);
        for (int i = 0; i < n; ++i) {
            for (int fd;
                 (fd = ::accept4(events[i].data.fd, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
                m_taken.push_back(fd);
                ++m_connections;
            }
        }
    }
}

QString dropConnectionsTo(const QString &network)
{
    const QString nft = systemTool(QStringLiteral("nft"));
    if (nft.isEmpty())
        return QStringLiteral("nft is not installed (Debian package nftables)");
    const QList<QStringList> commands {
        {"add", "table", "inet", "quillon"},
        {"add", "chain", "inet", "quillon", "input", "{ type filter hook input priority 0; }"},
        {"add", "rule", "inet", "quillon", "input", "ip", "daddr", network, "tcp", "dport", "139",
            "drop"},
    };
    for (const QStringList &arguments : commands) {
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(nft, arguments);
        if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit
            || process.exitCode() != 0)
            return QStringLiteral("nft %1 failed").arg(arguments.join(u' '));
    }
    return {};
}
