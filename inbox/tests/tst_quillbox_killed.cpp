// The real Quillbox program, killed (SIGKILL) while it copies the spool's
// records into its store, and started again: no message is lost, none is
// stored twice, nothing half-written counts as a message.
#include "record.h"
#include "spoolfolders.h"

#include <QDir>
#include <QFileSystemWatcher>
#include <QProcess>
#include <QTest>

#include <csignal>

class TestQuillboxKilled : public QObject
{
    Q_OBJECT
private slots:
    void killedWhileCopyingLosesNothing_data();
    void killedWhileCopyingLosesNothing();

private:
    void start(QProcess &quillbox, const SpoolFolders &folders);
};

namespace {

constexpr int records = 200;

} // namespace

void TestQuillboxKilled::start(QProcess &quillbox, const SpoolFolders &folders)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("QUILLBOX_SPOOL"), folders.spool());
    // The store is XDG_DATA_HOME/Quillbox.
    environment.insert(QStringLiteral("XDG_DATA_HOME"), folders.path());
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("disabled:"));
    environment.insert(QStringLiteral("PATH"), QStringLiteral("/nonexistent"));
    quillbox.setProcessEnvironment(environment);
    quillbox.setStandardOutputFile(QProcess::nullDevice());
    quillbox.setStandardErrorFile(QProcess::nullDevice());
    quillbox.start(QStringLiteral(QUILLBOX_PROGRAM), {QStringLiteral("--background")});
}

void TestQuillboxKilled::killedWhileCopyingLosesNothing_data()
{
    QTest::addColumn<QList<int>>("killAt");
    // Killed once the store holds this many copies, start after start.
    QTest::newRow("at the first copy") << QList<int>({1});
    QTest::newRow("three times, further each time") << QList<int>({10, 80, 160});
}

void TestQuillboxKilled::killedWhileCopyingLosesNothing()
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

QTEST_GUILESS_MAIN(TestQuillboxKilled)
#include "tst_quillbox_killed.moc"
