// The real kvoll program, ended by SIGTERM or SIGHUP as a logout or a
// shutdown ends it: the window closes the ordinary way and the history is
// saved.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

// Whether the process has a handler for the signal (SigCgt in its status).
bool catches(qint64 pid, int signalNumber)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (!line.startsWith("SigCgt:"))
            continue;
        bool ok = false;
        const qulonglong mask = line.mid(7).trimmed().toULongLong(&ok, 16);
        return ok && (mask >> (signalNumber - 1)) & 1;
    }
    return false;
}

} // namespace

class TestKvollSignals : public QObject
{
    Q_OBJECT
private slots:
    void signalClosesTheWindowAndSavesTheHistory_data();
    void signalClosesTheWindowAndSavesTheHistory();
};

void TestKvollSignals::signalClosesTheWindowAndSavesTheHistory_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

void TestKvollSignals::signalClosesTheWindowAndSavesTheHistory()
{
    QFETCH(int, signalNumber);
    QTemporaryDir home;
    const QString history = home.filePath(QStringLiteral(".kvoll"));
    // A save writes LF line ends: the file then shows that the close ran.
    {
        QFile file(history);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("PC01\r\nPC02\r\n");
    }

    QProcess kvoll;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    kvoll.setProcessEnvironment(environment);
    kvoll.setProcessChannelMode(QProcess::ForwardedChannels);
    kvoll.start(QStringLiteral(KVOLL_PROGRAM), {});
    QVERIFY2(kvoll.waitForStarted(), qPrintable(kvoll.errorString()));

    // Sent once kvoll catches it; it may still be starting up then.
    QTRY_VERIFY_WITH_TIMEOUT(catches(kvoll.processId(), signalNumber), 20000);
    QCOMPARE(::kill(pid_t(kvoll.processId()), signalNumber), 0);
    QVERIFY(kvoll.waitForFinished(20000));
    QCOMPARE(kvoll.exitStatus(), QProcess::NormalExit);
    QCOMPARE(kvoll.exitCode(), 0);

    QFile file(history);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("PC01\nPC02\n"));
}

QTEST_GUILESS_MAIN(TestKvollSignals)
#include "tst_kvoll_signals.moc"
