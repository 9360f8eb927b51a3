// Crier broadcasting to silent hosts, through the real smbclient, inside a
// network namespace of its own (needs root).  Each case books two live
// Samba receivers among the silent hosts; both must get the message.
//   refused  1,000 addresses where nothing listens on port 139
//   dropped  254 addresses whose connection attempts an nftables rule drops
//   mute     254 peers that take the connection and never answer
// Crier runs in a child process (the real form, the Qt toolkit offscreen,
// the real platform layer); the peak memory of that process and all its
// smbclients is sampled every 50 ms.  The baseline: smbclient alone on one
// host of each kind, times the number of hosts, is what a run one host at a
// time costs (as Crier did before it sent side by side).
//   bench_silent [CASE...] [--parallel N]
#include "frmmain.h"
#include "qttoolkit.h"
#include "sambareceiver.h"
#include "system.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <atomic>
#include <cstdio>
#include <map>
#include <set>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr char childFlag[] = "--crier-child";

// ---- the child: Crier, Send pressed, until "Done." -----------------------------

int runCrier(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Crier"));
    forms::qt::Toolkit toolkit;
    forms::System system;
    crier::FrmMain form(toolkit, system);
    auto &status = form.view().get<forms::ListBox>("lstStatus");
    QElapsedTimer clock;
    clock.start();
    form.cmdSend_Click();
    while (status.count() == 0 || status.item(status.count() - 1) != u"Done.")
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    int ok = 0;
    for (int i = 0; i < status.count(); ++i)
        ok += QString::fromStdU16String(status.item(i)).endsWith(QLatin1String(" - OK"));
    std::printf("%lld %d %d\n", clock.elapsed(), ok, status.count() - 2);
    return 0;
}

// ---- the silent hosts ----------------------------------------------------------

// What one host of the kind cost before: one smbclient, on its own.
double smbclientAlone(const QString &host)
{
    QProcess smbclient;
    smbclient.setStandardOutputFile(QProcess::nullDevice());
    smbclient.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    smbclient.start(QStringLiteral("smbclient"), {QStringLiteral("-M"), host});
    smbclient.write("Silent hosts benchmark.\n");
    smbclient.closeWriteChannel();
    smbclient.waitForFinished(60000);
    return clock.elapsed() / 1000.0;
}

// ---- memory of a process tree ----------------------------------------------------

struct Memory
{
    long rssKiB = 0;
    long pssKiB = 0;
    int processes = 0;
};

long field(const QByteArray &text, const char *name)
{
    const int at = text.indexOf(name);
    if (at < 0)
        return 0;
    return text.mid(at + int(qstrlen(name))).trimmed().split(' ').value(0).toLong();
}

Memory treeMemory(pid_t root)
{
    std::map<pid_t, pid_t> parents;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const pid_t pid = entry.toInt(&number);
        if (!number)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        parents[pid] = line.mid(line.lastIndexOf(')') + 4).split(' ').value(0).toInt();
    }
    Memory memory;
    for (const auto &[pid, parent] : parents) {
        bool inTree = false;
        for (pid_t p = pid; p > 1 && !inTree; p = parents.count(p) ? parents[p] : 0)
            inTree = p == root;
        if (!inTree)
            continue;
        QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
        if (!rollup.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = rollup.readAll();
        memory.rssKiB += field(text, "Rss:");
        memory.pssKiB += field(text, "Pss:");
        ++memory.processes;
    }
    return memory;
}

struct Outcome
{
    double seconds = -1;
    int delivered = 0;
    int hosts = 0;
    Memory peak;
};

// One run of Crier over the book, in its own settings folder.
Outcome broadcast(const QStringList &book, int parallel)
{
    QTemporaryDir config;
    QDir().mkpath(config.filePath(QStringLiteral("Crier")));
    QFile settings(config.filePath(QStringLiteral("Crier/ZK.INI")));
    settings.open(QIODevice::WriteOnly);
    settings.write("[List]\n");
    for (int i = 0; i < book.size(); ++i)
        settings.write(QByteArray::number(i) + '=' + book[i].toLatin1() + '\n');
    settings.write("[Options]\nCount=2\n");
    if (parallel > 0)
        settings.write("Parallel=" + QByteArray::number(parallel) + '\n');
    settings.close();
    QFile message(config.filePath(QStringLiteral("Crier/Message.txt")));
    message.open(QIODevice::WriteOnly);
    message.write("Silent hosts benchmark.");
    message.close();

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::SeparateChannels);
    child.setStandardErrorFile(QProcess::nullDevice());
    child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(childFlag)});
    child.waitForStarted();
    Outcome outcome;
    while (!child.waitForFinished(50)) {
        const Memory now = treeMemory(pid_t(child.processId()));
        if (now.rssKiB > outcome.peak.rssKiB)
            outcome.peak.rssKiB = now.rssKiB;
        if (now.pssKiB > outcome.peak.pssKiB)
            outcome.peak.pssKiB = now.pssKiB;
        outcome.peak.processes = std::max(outcome.peak.processes, now.processes);
    }
    const QList<QByteArray> numbers = child.readAllStandardOutput().trimmed().split(' ');
    if (numbers.size() == 3) {
        outcome.seconds = numbers[0].toDouble() / 1000;
        outcome.delivered = numbers[1].toInt();
        outcome.hosts = numbers[2].toInt();
    }
    return outcome;
}

struct Case
{
    const char *name;
    QString entry; // the silent hosts
    int copies;
    QString one; // one of them, for the baseline
    double goalSeconds;
};

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], childFlag) == 0)
        return runCrier(argc, argv);
    const QString noNetwork = enterPrivateNetwork();
    QCoreApplication app(argc, argv);
    if (!noNetwork.isEmpty()) {
        std::printf("silent hosts: skipped, %s\n", qPrintable(noNetwork));
        return 0;
    }

    int parallel = 0;
    std::set<QString> wanted;
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    for (int i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--parallel") && i + 1 < arguments.size())
            parallel = arguments[++i].toInt();
        else
            wanted.insert(arguments[i]);
    }

    // The dropped ones: connection attempts to 127.2.0.0/24 vanish.
    if (const QString problem = dropConnectionsTo(QStringLiteral("127.2.0.0/24"));
        !problem.isEmpty()) {
        std::printf("silent hosts: skipped, %s\n", qPrintable(problem));
        return 0;
    }
    QStringList muteAddresses;
    for (int n = 1; n <= 254; ++n)
        muteAddresses << QStringLiteral("127.3.0.%1").arg(n);
    const MutePeers mute(muteAddresses);
    if (!mute.problem().isEmpty()) {
        std::printf("silent hosts: skipped, %s\n", qPrintable(mute.problem()));
        return 0;
    }

    SambaReceiver first(QStringLiteral("127.0.0.2"));
    SambaReceiver second(QStringLiteral("127.0.0.3"));
    for (SambaReceiver *receiver : {&first, &second}) {
        const QString problem = receiver->start();
        if (!problem.isEmpty()) {
            std::printf("silent hosts: skipped, %s\n", qPrintable(problem));
            return 0;
        }
    }

    const Case cases[] = {
        {"refused", QStringLiteral("127.1.0.1-127.1.0.250"), 4, QStringLiteral("127.1.0.1"), 10},
        {"dropped", QStringLiteral("127.2.0.1-127.2.0.254"), 1, QStringLiteral("127.2.0.1"), 60},
        {"mute", QStringLiteral("127.3.0.1-127.3.0.254"), 1, QStringLiteral("127.3.0.1"), 180},
    };
    std::printf("silent hosts, %s sends at once:\n",
        parallel > 0 ? qPrintable(QString::number(parallel)) : "the default number of");
    for (const Case &c : cases) {
        if (!wanted.empty() && !wanted.count(QString::fromLatin1(c.name)))
            continue;
        QStringList book {QStringLiteral("127.0.0.2")};
        for (int i = 0; i < c.copies; ++i)
            book << c.entry;
        book << QStringLiteral("127.0.0.3");
        const double alone = smbclientAlone(c.one);
        const Outcome all = broadcast(book, parallel);
        const int silent = all.hosts - 2;
        const bool bothGot = first.messages().size() == 1 && second.messages().size() == 1;
        first.clear();
        second.clear();
        QFile load(QStringLiteral("/proc/loadavg"));
        load.open(QIODevice::ReadOnly);
        std::printf("  %-8s %4d silent hosts + 2 receivers: %6.1f s (goal %3.0f s, %s); "
                    "%d delivered, both receivers %s\n",
            c.name, silent, all.seconds, c.goalSeconds,
            all.seconds >= 0 && all.seconds <= c.goalSeconds ? "met" : "MISSED", all.delivered,
            bothGot ? "got it" : "DID NOT get it");
        std::printf("           smbclient alone on one of them %.2f s; one host at a time "
                    "would take ~%.0f s: %.0f x faster\n",
            alone, alone * silent, alone * silent / all.seconds);
        std::printf("           peak memory of Crier and its smbclients: %.0f MB resident "
                    "(%.0f MB proportional), %d processes at most; load %s",
            all.peak.rssKiB / 1024.0, all.peak.pssKiB / 1024.0, all.peak.processes,
            load.readAll().constData());
    }
    return 0;
}
