// Crier broadcasts through the POSIX platform layer, the real smbclient and
// five real smbd receivers; its countdown starts a real program.
#include "crierwindow.h"
#include "frmmain.h"
#include "qttoolkit.h"
#include "sambareceiver.h"
#include "system.h"

#include "messageboxwatcher.h"

#include <QCheckBox>
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

namespace {

QString g_noNetwork;

// Run as a child process: the countdown ends the process it runs in.
constexpr char countdownChild[] = "--countdown-child";

} // namespace

class TestCrierEndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void broadcastReachesEveryReceiver();
    void countdownStartsProgram();
    void messageNoHostCouldTakeStartsNoSmbclient_data();
    void messageNoHostCouldTakeStartsNoSmbclient();

private:
    QTemporaryDir m_config;
    std::vector<std::unique_ptr<SambaReceiver>> m_receivers;
};

void TestCrierEndToEnd::initTestCase()
{
    if (!g_noNetwork.isEmpty())
        QSKIP(qPrintable(g_noNetwork));
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    for (int host = 1; host <= 5; ++host) {
        m_receivers.push_back(
            std::make_unique<SambaReceiver>(QStringLiteral("127.0.0.%1").arg(host)));
        const QString problem = m_receivers.back()->start();
        if (problem.contains(QLatin1String("not installed")))
            QSKIP(qPrintable(problem));
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
}

void TestCrierEndToEnd::broadcastReachesEveryReceiver()
{
    MessageBoxWatcher boxes;
    // Nothing listens on 127.0.0.9; the name resolves nowhere, since this
    // namespace has loopback only and name lookup is lmhosts only.
    const QString message = QStringLiteral("Fire drill at 3.\nGrüße an alle.");
    CrierWindow crier({"127.0.0.1-127.0.0.5", "127.0.0.9", "NOSUCHPC"}, message);
    QWidget *window = crier.window();
    crier.send();

    QTRY_COMPARE(statusLines(window).value(8), QStringLiteral("Done."));
    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes[0].title, QStringLiteral("Done"));
    QCOMPARE(statusLines(window),
        QStringList({"127.0.0.1 - OK", "127.0.0.2 - OK", "127.0.0.3 - OK", "127.0.0.4 - OK",
            "127.0.0.5 - OK", "127.0.0.9 - Failed", "NOSUCHPC - Failed", "", "Done."}));
    for (const auto &receiver : m_receivers) {
        const auto received = receiver->messages();
        QCOMPARE(received.size(), 1);
        QCOMPARE(received[0].decodedText(), message);
        QCOMPARE(received[0].calledAddress, receiver->address().toLatin1());
        receiver->clear();
    }
}

void TestCrierEndToEnd::countdownStartsProgram()
{
    QTemporaryDir files;
    const QString marker = files.filePath(QStringLiteral("started"));
    QFile script(files.filePath(QStringLiteral("marker.sh")));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$1\"\n");
    script.close();
    QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::ExeOwner));

    // The settings the child starts with: one receiver, the count box
    // checked, and the program with a quoted argument holding a space.  The
    // settings folder is named after the running program file: this test's.
    const QString folder = QStringLiteral("config/")
        + QFileInfo(QCoreApplication::applicationFilePath()).fileName() + u'/';
    QVERIFY(QDir().mkpath(files.filePath(folder)));
    QFile settings(files.filePath(folder + QStringLiteral("ZK.INI")));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write(
        "[List]\n0=127.0.0.3\n[Options]\nCount=1\nFile=" + QFile::encodeName(script.fileName())
        + " " + QFile::encodeName(marker) + " \"two words\"\n");
    settings.close();
    QFile text(files.filePath(folder + QStringLiteral("Message.txt")));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("Shutting down soon.");
    text.close();

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), files.filePath(QStringLiteral("config")));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    QElapsedTimer clock;
    clock.start();
    child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(countdownChild)});
    QVERIFY(child.waitForFinished(30000));
    const qint64 elapsed = clock.elapsed();
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);

    // Count 1: "0" after one second, the program after the second.
    QVERIFY2(elapsed >= 1900, qPrintable(QString::number(elapsed)));
    QTRY_VERIFY(QFile::exists(marker));
    QFile started(marker);
    QVERIFY(started.open(QIODevice::ReadOnly));
    QCOMPARE(started.readAll(), QFile::encodeName(marker) + "\ntwo words\n");
    const auto received = m_receivers[2]->messages();
    QCOMPARE(received.size(), 1);
    QCOMPARE(received[0].text, QByteArray("Shutting down soon."));
    m_receivers[2]->clear();
}

void TestCrierEndToEnd::messageNoHostCouldTakeStartsNoSmbclient_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("box");

    QTest::newRow("outside the code page") << QStringLiteral("Gr\u00fc\u00dfe, 5 \u20ac")
                                           << QStringLiteral("Codeset conversion failure.");
    QTest::newRow("C1 control") << QStringLiteral("a\u0085b")
                                << QStringLiteral("Codeset conversion failure.");
    QTest::newRow("1,599 bytes") << QString(1599, u'a')
                                 << QStringLiteral("The message is too long to be delivered in one "
                                                   "piece. Shorten it and send again.");
    // The control: the same way, a message that can go.
    QTest::newRow("sendable") << QStringLiteral("Gr\u00fc\u00dfe") << QString();
}

void TestCrierEndToEnd::messageNoHostCouldTakeStartsNoSmbclient()
{
    QFETCH(QString, message);
    QFETCH(QString, box);
    // An smbclient in front of the real one that notes each run.
    QTemporaryDir wrapper;
    QFile script(wrapper.filePath(QStringLiteral("smbclient")));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\necho run >> '" + QFile::encodeName(wrapper.filePath("runs"))
        + "'\nexec /usr/bin/smbclient \"$@\"\n");
    script.close();
    QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(wrapper.path()) + ':' + path);

    MessageBoxWatcher boxes;
    CrierWindow crier({"127.0.0.1-127.0.0.2"}, message);
    QWidget *window = crier.window();
    crier.send();
    if (box.isEmpty())
        QTRY_COMPARE(statusLines(window).value(3), QStringLiteral("Done."));
    qputenv("PATH", path);

    QCOMPARE(boxes.boxes.size(), 1);
    if (box.isEmpty()) {
        QCOMPARE(boxes.boxes[0].title, QStringLiteral("Done"));
        QCOMPARE(QFile(wrapper.filePath(QStringLiteral("runs"))).size(), qint64(8));
        QCOMPARE(m_receivers[0]->messages().size(), 1);
        QCOMPARE(m_receivers[0]->messages()[0].decodedText(), message);
    } else {
        QCOMPARE(boxes.boxes[0].title, QStringLiteral("Error"));
        QCOMPARE(boxes.boxes[0].text, box);
        QCOMPARE(boxes.boxes[0].icon, QMessageBox::Critical);
        QCOMPARE(statusLines(window), QStringList {"Ready"});
        QVERIFY(!QFile::exists(wrapper.filePath(QStringLiteral("runs"))));
        QVERIFY(m_receivers[0]->messages().isEmpty());
    }
    for (const auto &receiver : m_receivers)
        receiver->clear();
}

// The child: Crier as the user starts it, Send pressed, then its own event
// loop until the countdown ends the process.
static int runCountdownChild(int argc, char **argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Crier"));
    forms::qt::Toolkit toolkit;
    forms::System system;
    crier::FrmMain form(toolkit, system);
    QWidget *window = forms::qt::widgetOf(form.view());
    form.show();
    if (!window->findChild<QCheckBox *>(QStringLiteral("chkCount"))->isChecked())
        return 2;
    window->findChild<QLineEdit *>(QStringLiteral("txtCount"))->setText(QStringLiteral("1"));
    form.cmdSend_Click();
    // The run's results come back through the event loop.
    QElapsedTimer clock;
    clock.start();
    while (statusLines(window).size() < 3 && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    if (statusLines(window) != QStringList({"127.0.0.3 - OK", "", "Done."}))
        return 3;
    app.exec();
    return 4; // the countdown never came
}

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], countdownChild) == 0)
        return runCountdownChild(argc, argv);
    g_noNetwork = enterPrivateNetwork();
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Crier"));
    TestCrierEndToEnd test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crier_e2e.moc"
