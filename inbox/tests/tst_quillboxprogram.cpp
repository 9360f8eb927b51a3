// The real Quillbox program: killed (SIGKILL) while it copies the spool's
// records into its store and started again, it loses no message, stores none
// twice and takes nothing half-written for a message; started a second time
// in a session, it asks the first to show its window and ends.
#include "record.h"
#include "spoolfolders.h"

#include <QDir>
#include <QFileSystemWatcher>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <csignal>

class TestQuillboxProgram : public QObject
{
    Q_OBJECT
private slots:
    void killedWhileCopyingLosesNothing_data();
    void killedWhileCopyingLosesNothing();
    void secondStartShowsTheFirst();

private:
    void start(QProcess &quillbox, const SpoolFolders &folders,
        const QStringList &arguments = {QStringLiteral("--background")},
        const QString &bus = QStringLiteral("disabled:"),
        const QString &path = QStringLiteral("/nonexistent"));
};

namespace {

constexpr int records = 200;

} // namespace

void TestQuillboxProgram::start(QProcess &quillbox, const SpoolFolders &folders,
    const QStringList &arguments, const QString &bus, const QString &path)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("QUILLBOX_SPOOL"), folders.spool());
    // The store is XDG_DATA_HOME/Quillbox.
    environment.insert(QStringLiteral("XDG_DATA_HOME"), folders.path());
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus);
    environment.insert(QStringLiteral("PATH"), path);
    quillbox.setProcessEnvironment(environment);
    quillbox.setStandardOutputFile(QProcess::nullDevice());
    quillbox.setStandardErrorFile(QProcess::nullDevice());
    quillbox.start(QStringLiteral(QUILLBOX_PROGRAM), arguments);
}

void TestQuillboxProgram::killedWhileCopyingLosesNothing_data()
{
    QTest::addColumn<QList<int>>("killAt");
    // Killed once the store holds this many copies, start after start.
    QTest::newRow("at the first copy") << QList<int>({1});
    QTest::newRow("three times, further each time") << QList<int>({10, 80, 160});
}

void TestQuillboxProgram::killedWhileCopyingLosesNothing()
{
    QFETCH(QList<int>, killAt);
    SpoolFolders folders;
    const QString store = folders.path() + QStringLiteral("/Quillbox");
    QVERIFY(QDir().mkpath(store + QStringLiteral("/messages")));
    for (int i = 0; i < records; ++i)
        folders.put("PC" + std::to_string(i), "message " + std::to_string(i) + "\n");
    const QStringList spool = QDir(folders.spool()).entryList(QDir::Files, QDir::Name);
    QCOMPARE(spool.size(), records);

    // The copies, read (NAME.read) or not.
    auto stored = [&] {
        QStringList names = QDir(store + QStringLiteral("/messages")).entryList(QDir::Files);
        for (QString &name : names) {
            if (name.endsWith(QLatin1String(".read")))
                name.chop(5);
        }
        names.removeIf([](const QString &n) { return !record::isRecordName(n.toStdString()); });
        return names;
    };
    for (const int at : killAt) {
        QFileSystemWatcher watcher({store + QStringLiteral("/messages")});
        QProcess quillbox;
        start(quillbox, folders);
        QVERIFY(quillbox.waitForStarted());
        bool killed = false;
        connect(&watcher, &QFileSystemWatcher::directoryChanged, this, [&] {
            if (!killed && stored().size() >= at) {
                ::kill(pid_t(quillbox.processId()), SIGKILL);
                killed = true;
            }
        });
        QTRY_VERIFY_WITH_TIMEOUT(killed, 30000);
        QTRY_COMPARE_WITH_TIMEOUT(quillbox.state(), QProcess::NotRunning, 10000);
        QCOMPARE(quillbox.exitStatus(), QProcess::CrashExit);
        // Killed part-way.
        QVERIFY2(stored().size() < records, qPrintable(QString::number(stored().size())));
    }

    // Started once more and left alone, it has every record, each once.
    QProcess quillbox;
    start(quillbox, folders);
    QVERIFY(quillbox.waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(stored().size(), records, 30000);
    // It comes up for the unread messages and shows the first, which is then
    // read.
    const QString firstRead = store + QStringLiteral("/messages/") + spool.first() + ".read";
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(firstRead), 10000);
    quillbox.terminate();
    QVERIFY(quillbox.waitForFinished(10000));
    QStringList names = stored();
    names.sort();
    QCOMPARE(names, spool);
    for (const QString &name : names) {
        const QString copy = store + QStringLiteral("/messages/") + name
            + (name == spool.first() ? QStringLiteral(".read") : QString());
        QCOMPARE(folders.read(copy), folders.read(folders.spool() + u'/' + name));
    }
}

void TestQuillboxProgram::secondStartShowsTheFirst()
{
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty())
        QSKIP("no dbus-daemon (Debian package dbus-daemon)");
    SpoolFolders folders;
    // A session bus of the test's own.
    QProcess bus;
    bus.start(daemon, {"--session", "--nofork", "--print-address=1"});
    QVERIFY(bus.waitForReadyRead(10000));
    const QString address = QString::fromLatin1(bus.readLine()).trimmed();
    QVERIFY2(address.startsWith(QLatin1String("unix:")), qPrintable(address));
    // Each time the window is opened from hidden, Quillbox checks the set-up
    // again: this testparm counts the checks.
    const QString bin = folders.path() + QStringLiteral("/bin");
    QVERIFY(QDir().mkdir(bin));
    QFile testparm(bin + QStringLiteral("/testparm"));
    QVERIFY(testparm.open(QIODevice::WriteOnly));
    testparm.write("#!/bin/sh\ncase \"$2\" in *message*) echo >> \"$0.asked\";; esac\n");
    testparm.close();
    QVERIFY(testparm.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
    auto checks = [&] { return folders.read(bin + QStringLiteral("/testparm.asked")).count('\n'); };

    QProcess first;
    start(first, folders, {QStringLiteral("--background")}, address, bin);
    QTRY_COMPARE_WITH_TIMEOUT(checks(), 1, 10000);

    // From the autostart again: nothing to show, it just ends.
    QProcess again;
    start(again, folders, {QStringLiteral("--background")}, address, bin);
    QVERIFY(again.waitForFinished(10000));
    QCOMPARE(again.exitCode(), 0);
    // From the menu: the first one opens its window, and it alone runs.
    QProcess menu;
    start(menu, folders, {}, address, bin);
    QVERIFY(menu.waitForFinished(10000));
    QCOMPARE(menu.exitCode(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(checks(), 2, 10000);
    QCOMPARE(first.state(), QProcess::Running);

    first.terminate();
    QVERIFY(first.waitForFinished(10000));
    bus.terminate();
    QVERIFY(bus.waitForFinished(10000));
}

QTEST_GUILESS_MAIN(TestQuillboxProgram)
#include "tst_quillboxprogram.moc"
