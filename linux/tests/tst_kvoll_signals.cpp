// The real kvoll program, ended by SIGTERM or SIGHUP as a logout or a
// shutdown ends it: the window closes the ordinary way and the history is
// saved; a history that cannot be loaded whole neither stops the start nor
// is written over.
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <sys/stat.h>

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
    void historyThatCannotBeLoadedIsLeftAlone_data();
    void historyThatCannotBeLoadedIsLeftAlone();

private:
    // Starts kvoll with its home in home; false when it could not start.
    bool start(QProcess &kvoll, const QTemporaryDir &home);
};

bool TestKvollSignals::start(QProcess &kvoll, const QTemporaryDir &home)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    kvoll.setProcessEnvironment(environment);
    kvoll.setProcessChannelMode(QProcess::ForwardedChannels);
    kvoll.start(QStringLiteral(KVOLL_PROGRAM), {});
    return kvoll.waitForStarted();
}

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
    QVERIFY2(start(kvoll, home), qPrintable(kvoll.errorString()));

    // Sent once kvoll catches it; it may still be starting up then.
    const pid_t pid = pid_t(kvoll.processId());
    QVERIFY(pid > 0);
    QTRY_VERIFY_WITH_TIMEOUT(catches(pid, signalNumber), 20000);
    QCOMPARE(::kill(pid, signalNumber), 0);
    QVERIFY(kvoll.waitForFinished(20000));
    QCOMPARE(kvoll.exitStatus(), QProcess::NormalExit);
    QCOMPARE(kvoll.exitCode(), 0);

    QFile file(history);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("PC01\nPC02\n"));
}

void TestKvollSignals::historyThatCannotBeLoadedIsLeftAlone_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("a FIFO") << QStringLiteral("fifo");
    QTest::newRow("a link to /dev/zero") << QStringLiteral("dev zero");
    QTest::newRow("holds a NUL") << QStringLiteral("nul");
}

void TestKvollSignals::historyThatCannotBeLoadedIsLeftAlone()
{
    QFETCH(QString, kind);
    QTemporaryDir home;
    const QString history = home.filePath(QStringLiteral(".kvoll"));
    const QByteArray withNul("PC01\n\0PC02\r\n", 12);
    if (kind == "fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(history).constData(), 0600), 0);
    } else if (kind == "dev zero") {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), history));
    } else {
        QFile file(history);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(withNul);
    }

    QProcess kvoll;
    QVERIFY2(start(kvoll, home), qPrintable(kvoll.errorString()));
    // The signals are caught once the window has been made: the history did
    // not block or end the start.
    const pid_t pid = pid_t(kvoll.processId());
    QVERIFY(pid > 0);
    QTRY_VERIFY_WITH_TIMEOUT(catches(pid, SIGTERM), 20000);
    // It warns about the history, at the start or at the close: each signal
    // closes the box that is open, and the window.  No signal goes out once
    // the process has been reaped: its number may be another's then.
    QTRY_VERIFY_WITH_TIMEOUT(kvoll.state() == QProcess::NotRunning
            || (::kill(pid, SIGTERM) == 0 && kvoll.waitForFinished(200)),
        20000);
    QCOMPARE(kvoll.exitStatus(), QProcess::NormalExit);
    QCOMPARE(kvoll.exitCode(), 0);

    if (kind == "fifo") {
        struct stat st;
        QCOMPARE(::lstat(QFile::encodeName(history).constData(), &st), 0);
        QVERIFY(S_ISFIFO(st.st_mode));
    } else if (kind == "dev zero") {
        QCOMPARE(QFileInfo(history).symLinkTarget(), QStringLiteral("/dev/zero"));
    } else {
        QFile file(history);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), withNul);
    }
}

QTEST_GUILESS_MAIN(TestKvollSignals)
#include "tst_kvoll_signals.moc"
