// Crier broadcasting to hosts that do not answer, through the real smbclient,
// inside a network namespace of the test's own: addresses that refuse the
// connection, that drop it (an nftables rule), peers that take it and never
// answer, a receiver that answers only after 10 s, and two live receivers.
// The run costs the longest wait, not the sum of them; closing the window
// or the countdown ending the tool in the middle of a run leaves no smbclient
// behind.
#include "crierwindow.h"
#include "frmmain.h"
#include "qttoolkit.h"
#include "sambareceiver.h"
#include "system.h"

#include "messageboxwatcher.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

#include <unistd.h>

namespace {

QString g_noNetwork;

constexpr char countdownChild[] = "--countdown-in-a-run";

// The smbclient processes whose command line names an address of that
// prefix, ended ones (zombies) left out.
int smbclientsFor(const QByteArray &prefix)
{
    int count = 0;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (!cmdline.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> words = cmdline.readAll().split('\0');
        if (words.isEmpty() || !words[0].endsWith("smbclient") || !words.contains("-M"))
            continue;
        if (words.value(words.indexOf("-M") + 1).startsWith(prefix))
            ++count;
    }
    return count;
}

// Crier keeps its files in a folder named after the running program file:
// here the test program's.
QString settingsFile(const QString &configFolder)
{
    return configFolder + u'/' + QFileInfo(QCoreApplication::applicationFilePath()).fileName()
        + QStringLiteral("/ZK.INI");
}

void writeSettings(const QString &folder, const QByteArray &text)
{
    QFile settings(settingsFile(folder));
    QDir().mkpath(QFileInfo(settings).path());
    settings.open(QIODevice::WriteOnly);
    settings.write(text);
}

} // namespace

class TestCrierSilentHosts : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void silentHostsCostTheLongestWaitOnly();
    void closingMidRunLeavesNoSmbclient();
    void countdownMidRunLeavesNoSmbclient();

private:
    QTemporaryDir m_config;
    std::vector<std::unique_ptr<SambaReceiver>> m_receivers;
    std::unique_ptr<MutePeers> m_mute;
};

void TestCrierSilentHosts::initTestCase()
{
    if (!g_noNetwork.isEmpty())
        QSKIP(qPrintable(g_noNetwork));
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    // Two live receivers, and one that delivers each message 10 s late.
    for (const auto &[address, late] :
        {std::pair {"127.0.0.1", 0}, {"127.0.0.2", 0}, {"127.0.0.6", 10}}) {
        m_receivers.push_back(std::make_unique<SambaReceiver>(
            QString::fromLatin1(address), SambaReceiver::Protocol::Nt1, QByteArray(), late));
        const QString problem = m_receivers.back()->start();
        if (problem.contains(QLatin1String("not installed")))
            QSKIP(qPrintable(problem));
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
    const QString dropped = dropConnectionsTo(QStringLiteral("127.2.0.0/24"));
    if (dropped.contains(QLatin1String("not installed")))
        QSKIP(qPrintable(dropped));
    QVERIFY2(dropped.isEmpty(), qPrintable(dropped));
    m_mute = std::make_unique<MutePeers>(
        QStringList {"127.3.0.1", "127.3.0.2", "127.3.0.3", "127.3.0.4", "127.3.0.5"});
    QVERIFY2(m_mute->problem().isEmpty(), qPrintable(m_mute->problem()));
}

void TestCrierSilentHosts::cleanup()
{
    QFile::remove(settingsFile(m_config.path()));
    for (const auto &receiver : m_receivers)
        receiver->clear();
}

void TestCrierSilentHosts::silentHostsCostTheLongestWaitOnly()
{
    MessageBoxWatcher boxes;
    CrierWindow crier({"127.0.0.1", "127.1.0.1-127.1.0.40", "127.2.0.1-127.2.0.3",
                          "127.3.0.1-127.3.0.3", "127.0.0.6", "127.0.0.2"},
        QStringLiteral("Fire drill at 3."));
    QElapsedTimer clock;
    clock.start();
    crier.send();
    QTRY_COMPARE_WITH_TIMEOUT(lastLine(crier.window()), QStringLiteral("Done."), 60000);
    const qint64 elapsed = clock.elapsed();

    QStringList expected {"127.0.0.1 - OK"};
    for (int n = 1; n <= 40; ++n)
        expected << QStringLiteral("127.1.0.%1 - Failed").arg(n);
    for (int n = 1; n <= 3; ++n)
        expected << QStringLiteral("127.2.0.%1 - Failed").arg(n);
    for (int n = 1; n <= 3; ++n)
        expected << QStringLiteral("127.3.0.%1 - Failed").arg(n);
    expected << "127.0.0.6 - OK"
             << "127.0.0.2 - OK"
             << ""
             << "Done.";
    QCOMPARE(statusLines(crier.window()), expected);
    QCOMPARE(boxes.boxes.size(), 1);
    // The mute peers keep smbclient 20 s; one host after the other the run
    // would take 40 x 0.03 + 3 x 6 + 3 x 20 + 10 s, about 90 s.
    QVERIFY2(elapsed >= 19000 && elapsed < 40000, qPrintable(QString::number(elapsed)));
    for (const auto &receiver : m_receivers) {
        const auto received = receiver->messages();
        QCOMPARE(received.size(), 1);
        QCOMPARE(received[0].text, QByteArray("Fire drill at 3."));
    }
}

void TestCrierSilentHosts::closingMidRunLeavesNoSmbclient()
{
    writeSettings(m_config.path(), "[Options]\nParallel=2\n");
    const int connectionsBefore = m_mute->connections();
    QElapsedTimer clock;
    {
        CrierWindow crier({"127.3.0.4-127.3.0.5", "127.0.0.1"}, QStringLiteral("Never mind."));
        crier.send();
        // Both mute peers hold an smbclient: the check's connection and
        // smbclient's own.
        QTRY_COMPARE_WITH_TIMEOUT(smbclientsFor("127.3.0."), 2, 10000);
        QTRY_COMPARE(m_mute->connections() - connectionsBefore, 4);
        clock.start();
        crier.window()->close();
        // Gone with the window, before the program has even ended.
        QTRY_COMPARE(smbclientsFor("127.3.0."), 0);
    }
    QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    // The host after them was never sent to.
    QCOMPARE(m_mute->connections() - connectionsBefore, 4);
    QVERIFY(m_receivers[0]->messages().isEmpty());
}

void TestCrierSilentHosts::countdownMidRunLeavesNoSmbclient()
{
    QTemporaryDir files;
    writeSettings(files.path(), "[Options]\nCount=1\nParallel=2\n");
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), files.path());
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    const int connectionsBefore = m_mute->connections();
    child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(countdownChild)});
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    // Ended by the countdown in the middle of the second run: its sends to
    // the mute peers had started, and nothing of them is left.
    QVERIFY(m_mute->connections() - connectionsBefore >= 2);
    QTRY_COMPARE(smbclientsFor("127.3.0."), 0);
    QCOMPARE(m_receivers[0]->messages().size(), 1);
}

// The child: a run arms a countdown of 1 (two ticks of a second), then a
// second run to mute peers is under way when the countdown ends the tool.
static int runCountdownChild(int argc, char **argv)
{
    QApplication app(argc, argv);
    MessageBoxWatcher boxes;
    auto crier = std::make_unique<CrierWindow>(QStringList {"127.0.0.1"}, QStringLiteral("Soon."));
    crier->window()
        ->findChild<QLineEdit *>(QStringLiteral("txtCount"))
        ->setText(QStringLiteral("1"));
    crier->send();
    QElapsedTimer clock;
    clock.start();
    while (lastLine(crier->window()) != QLatin1String("Done.")) {
        if (clock.elapsed() > 15000)
            return 2;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    }
    auto *book = crier->window()->findChild<QListWidget *>(QStringLiteral("lstNetwork"));
    book->clear();
    auto *address = crier->window()->findChild<QLineEdit *>(QStringLiteral("txtAddress"));
    address->setText(QStringLiteral("127.3.0.4-127.3.0.5"));
    QTest::keyClick(address, Qt::Key_Return);
    crier->send();
    app.exec();
    return 3; // the countdown never came
}

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], countdownChild) == 0)
        return runCountdownChild(argc, argv);
    g_noNetwork = enterPrivateNetwork();
    QApplication app(argc, argv);
    TestCrierSilentHosts test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crier_silent_e2e.moc"
