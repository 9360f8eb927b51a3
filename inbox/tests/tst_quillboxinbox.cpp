// The inbox: records taken from the spool into the user's store once, read
// and deleted marks that survive a restart, planted files never shown, and
// a store that cannot be read or written losing nothing it had.
#include "inbox.h"
#include "spoolfolders.h"
#include "spoolwatcher.h"

#include "faults.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

#include <memory>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using quillbox::Inbox;

namespace {

// A snapshot of a folder: each entry's name, kind and bytes.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        QByteArray what = info.isSymLink() ? "link to " + QFile::encodeName(info.symLinkTarget())
            : info.isFile()                ? QByteArray("file ")
                                           : QByteArray("other");
        if (info.isFile() && !info.isSymLink()) {
            QFile file(path);
            what += file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
        }
        files.insert(info.fileName(), what);
    }
    return files;
}

// Makes the whole tree the guest account's, so that a test acting as that
// account is refused by nothing but the permission bits it sets itself.
void giveToNobody(const QString &folder)
{
    if (::geteuid() != 0)
        return;
    const passwd *nobody = ::getpwnam("nobody");
    if (!nobody)
        return;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
        QDirIterator::Subdirectories);
    QStringList paths {folder};
    while (it.hasNext())
        paths.append(it.next());
    for (const QString &path : paths)
        ::lchown(QFile::encodeName(path).constData(), nobody->pw_uid, nobody->pw_gid);
}

QStringList senders(Inbox &inbox)
{
    QStringList list;
    for (int i = 0; i < inbox.count(); ++i)
        list.append(QString::fromStdString(inbox.content(i).record.sender));
    return list;
}

} // namespace

class TestQuillboxInbox : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void takesEachRecordOnceAndKeepsIt();
    void readMarksSurviveARestart();
    void deletedMessagesDoNotComeBack();
    void deletionIsForgottenOnceTheSpoolLetsGo();
    void interruptedDeletionIsFinished();
    void copyWithoutAStateCountsAsUnread();
    void storeIsPrivate();
    void plantedEntriesAreNeverShown_data();
    void plantedEntriesAreNeverShown();
    void recordsOfRootAreShown();
    void unusableStateIsLeftAlone_data();
    void unusableStateIsLeftAlone();
    void unreadableSavedMessageIsLeftAlone_data();
    void unreadableSavedMessageIsLeftAlone();
    void fullStoreLosesNothing();
    void indexStandsInForAnUnchangedFolder_data();
    void indexStandsInForAnUnchangedFolder();
    void indexIsWrittenForAStillFolderOnly();
    void watcherSeesNewRecords();
    void watcherWaitsForAMissingSpool();

private:
    std::unique_ptr<Inbox> openInbox();

    std::unique_ptr<SpoolFolders> m_folders;
};

void TestQuillboxInbox::init()
{
    m_folders = std::make_unique<SpoolFolders>();
}

void TestQuillboxInbox::cleanup()
{
    m_folders.reset();
}

std::unique_ptr<Inbox> TestQuillboxInbox::openInbox()
{
    auto inbox = std::make_unique<Inbox>(
        quillbox::Spool(m_folders->spoolPath()), quillbox::Store(m_folders->storePath()));
    inbox->open();
    return inbox;
}

void TestQuillboxInbox::takesEachRecordOnceAndKeepsIt()
{
    const std::string first = m_folders->put("PC01",
        "Gr\xc3\xbc\xc3\x9f"
        "e\n");
    const std::string second = m_folders->put("PC02", std::string(1598, 'x'));
    const auto spoolBefore = snapshot(m_folders->spool());

    auto inbox = std::make_unique<Inbox>(
        quillbox::Spool(m_folders->spoolPath()), quillbox::Store(m_folders->storePath()));
    QCOMPARE(inbox->open(), std::vector<std::string>({first, second}));
    QCOMPARE(inbox->count(), 2);
    QCOMPARE(inbox->unreadCount(), 2);
    QCOMPARE(inbox->firstUnread(), 0);
    QCOMPARE(senders(*inbox), QStringList({"PC01", "PC02"}));
    QCOMPARE(inbox->content(0).record.text,
        std::string("Gr\xc3\xbc\xc3\x9f"
                    "e\n"));
    // The copies are the records, byte for byte; the spool is untouched.
    for (const std::string &name : {first, second})
        QCOMPARE(m_folders->read(m_folders->storedMessage(name)),
            m_folders->read(m_folders->spool() + u'/' + QString::fromStdString(name)));
    QCOMPARE(snapshot(m_folders->spool()), spoolBefore);
    QVERIFY(inbox->takeNew().empty());
    QVERIFY(inbox->takeNotices().isEmpty());

    // A new record is taken; none twice.
    const std::string third = m_folders->put("PC03", "later");
    QCOMPARE(inbox->takeNew(), std::vector<std::string>({third}));
    QVERIFY(inbox->takeNew().empty());

    // A restart reads the store and takes nothing again.
    inbox = openInbox();
    QCOMPARE(inbox->count(), 3);
    QCOMPARE(senders(*inbox), QStringList({"PC01", "PC02", "PC03"}));
    QVERIFY(inbox->takeNew().empty());

    // The store keeps them when the spool has let them go.
    QDir(m_folders->spool()).removeRecursively();
    inbox = openInbox();
    QCOMPARE(senders(*inbox), QStringList({"PC01", "PC02", "PC03"}));
    QCOMPARE(inbox->content(1).record.text, std::string(1598, 'x'));
}

void TestQuillboxInbox::readMarksSurviveARestart()
{
    for (const char *sender : {"A", "B", "C"})
        m_folders->put(sender, "x");
    auto inbox = openInbox();
    inbox->markRead(1);
    inbox->markRead(1);
    QCOMPARE(inbox->unreadCount(), 2);
    QCOMPARE(inbox->firstUnread(), 0);

    inbox = openInbox();
    QCOMPARE(inbox->unreadCount(), 2);
    QVERIFY(inbox->message(0).unread);
    QVERIFY(!inbox->message(1).unread);
    QVERIFY(inbox->message(2).unread);
    inbox->markRead(0);
    QCOMPARE(inbox->firstUnread(), 2);
}

void TestQuillboxInbox::deletedMessagesDoNotComeBack()
{
    const std::string first = m_folders->put("A", "x");
    m_folders->put("B", "y");
    auto inbox = openInbox();
    inbox->markRead(0);
    inbox->remove(0);
    QCOMPARE(senders(*inbox), QStringList({"B"}));
    QCOMPARE(inbox->unreadCount(), 1);
    QVERIFY(!QFile::exists(m_folders->storedMessage(first)));
    // A reader never removes a spool record.
    QVERIFY(QFile::exists(m_folders->spool() + u'/' + QString::fromStdString(first)));
    QVERIFY(inbox->takeNew().empty());

    inbox = openInbox();
    QCOMPARE(senders(*inbox), QStringList({"B"}));
    QCOMPARE(inbox->unreadCount(), 1);
}

void TestQuillboxInbox::deletionIsForgottenOnceTheSpoolLetsGo()
{
    const std::string first = m_folders->put("A", "x");
    auto inbox = openInbox();
    inbox->remove(0);
    const QString state = m_folders->store() + QStringLiteral("/state");
    QVERIFY(m_folders->read(state).contains(QByteArray::fromStdString("deleted " + first)));

    QVERIFY(QFile::remove(m_folders->spool() + u'/' + QString::fromStdString(first)));
    inbox->takeNew();
    QCOMPARE(m_folders->read(state), QByteArray("Quillbox-State: 1\n"));
}

void TestQuillboxInbox::interruptedDeletionIsFinished()
{
    const std::string first = m_folders->put("A", "x");
    m_folders->put("B", "y");
    openInbox();
    // Killed after the deletion was written down, before the copy went.
    QDir(m_folders->store()).mkpath(QStringLiteral("."));
    QFile state(m_folders->store() + QStringLiteral("/state"));
    QVERIFY(state.open(QIODevice::WriteOnly));
    state.write(QByteArray::fromStdString("Quillbox-State: 1\ndeleted " + first + "\n"));
    state.close();

    auto inbox = openInbox();
    QCOMPARE(senders(*inbox), QStringList({"B"}));
    QVERIFY(!QFile::exists(m_folders->storedMessage(first)));
}

void TestQuillboxInbox::copyWithoutAStateCountsAsUnread()
{
    // Killed after the copy was renamed into the store, and before the
    // record was shown: it is in the store, and new.
    const std::string first = m_folders->put("A", "x");
    openInbox()->markRead(0);
    const std::string second = m_folders->put("B", "y");
    QDir(m_folders->store()).mkpath(QStringLiteral("messages"));
    QVERIFY(QFile::copy(m_folders->spool() + u'/' + QString::fromStdString(second),
        m_folders->storedMessage(second)));

    auto inbox = openInbox();
    QCOMPARE(senders(*inbox), QStringList({"A", "B"}));
    QCOMPARE(inbox->unreadCount(), 1);
    QCOMPARE(inbox->firstUnread(), 1);
}

void TestQuillboxInbox::storeIsPrivate()
{
    m_folders->put("A", "x");
    openInbox();
    for (const QString &folder : {m_folders->store(), m_folders->store() + "/messages"}) {
        struct stat st;
        QCOMPARE(::stat(QFile::encodeName(folder).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, mode_t(0700));
    }
}

void TestQuillboxInbox::plantedEntriesAreNeverShown_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("note");
    QTest::newRow("a link to a record") << "link"
                                        << "it is a symbolic link.";
    QTest::newRow("a link to /etc/passwd") << "link passwd"
                                           << "it is a symbolic link.";
    QTest::newRow("a FIFO") << "fifo"
                            << "it is not a regular file.";
    QTest::newRow("a folder") << "folder"
                              << "it is not a regular file.";
    QTest::newRow("another user's record") << "foreign"
                                           << "it belongs to ";
    QTest::newRow("a huge file") << "huge"
                                 << "it is too large.";
    QTest::newRow("a damaged record") << "damaged"
                                      << "it has a damaged header.";
    QTest::newRow("a cut record") << "cut"
                                  << "it is cut short.";
    QTest::newRow("not a record") << "text"
                                  << "it is not a message record.";
}

void TestQuillboxInbox::plantedEntriesAreNeverShown()
{
    QFETCH(QString, kind);
    QFETCH(QString, note);
    const std::string real = m_folders->put("REAL", "real");
    const std::string planted = record::recordName(1796761441, 0, 1);
    const QString path = m_folders->spool() + u'/' + QString::fromStdString(planted);
    const std::string fake = record::format({"BOSS", "OFFICE", 1796761441, "Send me the password"});
    if (kind == "link") {
        QTemporaryDir elsewhere;
        QVERIFY(QFile::link(m_folders->spool() + u'/' + QString::fromStdString(real), path));
    } else if (kind == "link passwd") {
        QVERIFY(QFile::link(QStringLiteral("/etc/passwd"), path));
    } else if (kind == "fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
    } else if (kind == "folder") {
        QVERIFY(QDir().mkdir(path));
    } else if (kind == "foreign") {
        if (::geteuid() != 0)
            QSKIP("giving a file to another user needs root");
        m_folders->putBytes(planted, fake);
        QCOMPARE(::chown(QFile::encodeName(path).constData(), 4242, 4242), 0);
    } else if (kind == "huge") {
        m_folders->putBytes(planted, fake + std::string(record::maxRecordBytes, 'x'));
    } else if (kind == "damaged") {
        m_folders->putBytes(planted, "Quillbox-Record: 1\nFrom BOSS\n\nhi");
    } else if (kind == "cut") {
        m_folders->putBytes(planted, fake.substr(0, fake.size() - 3));
    } else {
        m_folders->putBytes(planted, "Send me the password\n");
    }

    auto inbox = openInbox();
    QCOMPARE(senders(*inbox), QStringList({"REAL"}));
    QVERIFY(!QFile::exists(m_folders->storedMessage(planted)));
    const QStringList notices = inbox->takeNotices();
    QCOMPARE(notices.size(), 1);
    QVERIFY2(
        notices.first().startsWith(QStringLiteral("Ignored %1 in the spool %2: ")
                                       .arg(QString::fromStdString(planted), m_folders->spool())),
        qPrintable(notices.first()));
    QVERIFY2(notices.first().contains(note), qPrintable(notices.first()));
    // Told once, however often the spool changes.
    m_folders->put("LATER", "later");
    QCOMPARE(inbox->takeNew().size(), std::size_t(1));
    QVERIFY(inbox->takeNotices().isEmpty());
    QCOMPARE(senders(*inbox), QStringList({"REAL", "LATER"}));
}

void TestQuillboxInbox::recordsOfRootAreShown()
{
    if (::geteuid() != 0)
        QSKIP("giving the spool to the guest account needs root");
    const passwd *nobody = ::getpwnam("nobody");
    QVERIFY(nobody);
    QCOMPARE(
        ::chown(QFile::encodeName(m_folders->spool()).constData(), nobody->pw_uid, nobody->pw_gid),
        0);
    // The guest account's record, and one root wrote by hand.
    const std::string guest = m_folders->put("GUEST", "x");
    QCOMPARE(::chown(QFile::encodeName(m_folders->spool() + u'/' + QString::fromStdString(guest))
                         .constData(),
                 nobody->pw_uid, nobody->pw_gid),
        0);
    m_folders->put("ROOT", "y");
    auto inbox = openInbox();
    QCOMPARE(senders(*inbox), QStringList({"GUEST", "ROOT"}));
    QVERIFY(inbox->takeNotices().isEmpty());
}

void TestQuillboxInbox::unusableStateIsLeftAlone_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("why");
    QTest::newRow("damaged") << "damaged"
                             << "(damaged)";
    QTest::newRow("cut off") << "cut"
                             << "(damaged)";
    QTest::newRow("a folder") << "folder"
                              << "(not a regular file)";
    QTest::newRow("unreadable") << "unreadable"
                                << "(Permission denied)";
}

void TestQuillboxInbox::unusableStateIsLeftAlone()
{
    QFETCH(QString, kind);
    QFETCH(QString, why);
    const std::string first = m_folders->put("A", "x");
    const std::string second = m_folders->put("B", "y");
    auto inbox = openInbox();
    inbox->markRead(0);
    const QString state = m_folders->store() + QStringLiteral("/state");
    {
        QFile valid(state);
        QVERIFY(valid.open(QIODevice::WriteOnly));
        valid.write("Quillbox-State: 1\n");
    }
    if (kind == "folder") {
        QVERIFY(QFile::remove(state));
        QVERIFY(QDir().mkdir(state));
    } else if (kind == "unreadable") {
        giveToNobody(m_folders->store());
        QVERIFY(QFile::setPermissions(state, QFile::WriteOwner));
    } else {
        QFile file(state);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(kind == "cut" ? QByteArray::fromStdString("Quillbox-State: 1\ndeleted " + first)
                                 : QByteArray("Quillbox-State: 1\nunread everything\n"));
    }
    const auto before = snapshot(state);
    const QString copy = m_folders->storedMessage(first) + QStringLiteral(".read");

    QString problem = testsupport::runAs(kind == "unreadable", [&] {
        inbox = openInbox();
        QCOMPARE(inbox->count(), 2);
        // Read marks live in the copies' names: they still work.
        inbox->markRead(1);
        // A deletion that cannot be written down is not carried out.
        inbox->remove(0);
        QCOMPARE(inbox->count(), 1);
    }).c_str();
    if (!problem.isEmpty())
        QSKIP(qPrintable(problem));
    QCOMPARE(snapshot(state), before);
    QVERIFY(QFile::exists(copy));
    QVERIFY(QFile::exists(m_folders->storedMessage(second) + QStringLiteral(".read")));
    const QStringList notices = inbox->takeNotices();
    QCOMPARE(notices.size(), 1);
    QVERIFY2(
        notices.first().startsWith(
            QStringLiteral("The list of deleted messages %1 could not be read %2").arg(state, why)),
        qPrintable(notices.first()));
}

void TestQuillboxInbox::unreadableSavedMessageIsLeftAlone_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("why");
    QTest::newRow("damaged") << "damaged"
                             << "(damaged)";
    QTest::newRow("a FIFO") << "fifo"
                            << "(not a regular file)";
    QTest::newRow("unreadable") << "unreadable"
                                << "(Permission denied)";
}

void TestQuillboxInbox::unreadableSavedMessageIsLeftAlone()
{
    QFETCH(QString, kind);
    QFETCH(QString, why);
    const std::string first = m_folders->put("A", "x");
    m_folders->put("B", "y");
    openInbox();
    const QString copy = m_folders->storedMessage(first);
    if (kind == "fifo") {
        QVERIFY(QFile::remove(copy));
        QCOMPARE(::mkfifo(QFile::encodeName(copy).constData(), 0600), 0);
    } else if (kind == "unreadable") {
        giveToNobody(m_folders->store());
        QVERIFY(QFile::setPermissions(copy, QFile::WriteOwner));
    } else {
        QFile file(copy);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("Quillbox-Record: 1\nFr");
    }
    const auto before = snapshot(m_folders->store() + "/messages");

    std::unique_ptr<Inbox> inbox;
    const QString problem = testsupport::runAs(kind == "unreadable", [&] {
        inbox = openInbox();
        QCOMPARE(inbox->count(), 2);
        QCOMPARE(inbox->content(0).problem, why.mid(1).chopped(1));
        QCOMPARE(inbox->content(1).record.sender, std::string("B"));
        inbox->content(0);
    }).c_str();
    if (!problem.isEmpty())
        QSKIP(qPrintable(problem));
    QCOMPARE(snapshot(m_folders->store() + "/messages"), before);
    QCOMPARE(inbox->takeNotices(),
        QStringList({QStringLiteral("The saved message %1 could not be read %2; it was left as it "
                                    "is.")
                         .arg(copy, why)}));
}

void TestQuillboxInbox::fullStoreLosesNothing()
{
    QVERIFY(QDir().mkpath(m_folders->store()));
    const testsupport::SmallDisk disk(m_folders->storePath(), 16 * 1024);
    if (!disk.problem().empty())
        QSKIP(disk.problem().c_str());
    const std::string first = m_folders->put("A", "x");
    auto inbox = openInbox();
    QVERIFY(disk.fill());

    // Shown from the spool, kept there, told once.
    const std::string second = m_folders->put("B", std::string(1598, 'y'));
    const std::string third = m_folders->put("C", "z");
    QCOMPARE(inbox->takeNew(), std::vector<std::string>({second, third}));
    QCOMPARE(senders(*inbox), QStringList({"A", "B", "C"}));
    QCOMPARE(inbox->content(1).record.text, std::string(1598, 'y'));
    QVERIFY(!inbox->message(1).stored);
    const QStringList notices = inbox->takeNotices();
    QCOMPARE(notices.size(), 1);
    QVERIFY2(notices.first().startsWith(QStringLiteral("New messages could not be saved in %1: No "
                                                       "space left on device.")
                                            .arg(m_folders->store())),
        qPrintable(notices.first()));
    // Read marks are renames: they need no room.
    inbox->markRead(0);
    inbox->markRead(1);
    QVERIFY(inbox->takeNotices().isEmpty());
    QCOMPARE(m_folders->read(m_folders->storedMessage(first) + QStringLiteral(".read")),
        m_folders->read(m_folders->spool() + u'/' + QString::fromStdString(first)));

    // Room again: the next look stores them, with the mark made meanwhile.
    QVERIFY(QFile::remove(m_folders->store() + QStringLiteral("/.filler")));
    QVERIFY(inbox->takeNew().empty());
    QVERIFY(inbox->message(1).stored && inbox->message(2).stored);
    inbox = openInbox();
    QCOMPARE(senders(*inbox), QStringList({"A", "B", "C"}));
    QCOMPARE(inbox->unreadCount(), 1);
    QCOMPARE(inbox->firstUnread(), 2);
}

void TestQuillboxInbox::indexStandsInForAnUnchangedFolder_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("used");
    QTest::newRow("nothing") << "" << true;
    QTest::newRow("a new copy") << "copy" << false;
    QTest::newRow("a read mark") << "mark" << false;
    QTest::newRow("a deletion") << "delete" << false;
    QTest::newRow("cut off") << "cut" << false;
    QTest::newRow("a damaged line") << "damaged" << false;
    QTest::newRow("out of order") << "order" << false;
    QTest::newRow("a wrong count") << "count" << false;
}

void TestQuillboxInbox::indexStandsInForAnUnchangedFolder()
{
    QFETCH(QString, change);
    QFETCH(bool, used);
    for (const char *sender : {"A", "B", "C"})
        m_folders->put(sender, sender);
    openInbox()->markRead(1);
    quillbox::Store store(m_folders->storePath());
    // The folder last changed a while ago.
    const QByteArray messages = QFile::encodeName(m_folders->store() + "/messages");
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const timespec past[2] = {{now - 10, 0}, {now - 10, 0}};
    QCOMPARE(::utimensat(AT_FDCWD, messages.constData(), past, 0), 0);
    QCOMPARE(int(store.writeIndex(now)), int(quillbox::Store::IndexWrite::Written));

    const QString index = m_folders->store() + QStringLiteral("/index");
    QByteArray bytes = m_folders->read(index);
    if (change == "copy") {
        store.addMessage(record::recordName(1796761500, 0, 1), "x");
    } else if (change == "mark") {
        store.markRead(store.listMessages().messages.front().name);
    } else if (change == "delete") {
        store.removeMessage(store.listMessages().messages.back().name);
    } else if (!change.isEmpty()) {
        if (change == "cut")
            bytes.chop(3);
        else if (change == "damaged")
            bytes.replace("\nu ", "\nx ");
        else if (change == "count")
            bytes.replace("end 3", "end 2");
        else {
            QList<QByteArray> lines = bytes.split('\n');
            lines.swapItemsAt(2, 3);
            bytes = lines.join('\n');
        }
        QFile file(index);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    auto inbox = openInbox();
    QCOMPARE(inbox->listedFromIndex(), used);
    // Either way the same messages, with the same marks, as the folder has.
    const quillbox::Store::Listing listed = store.listMessages();
    QCOMPARE(inbox->count(), int(listed.messages.size()));
    for (int i = 0; i < inbox->count(); ++i) {
        QCOMPARE(inbox->message(i).name, listed.messages[std::size_t(i)].name);
        QCOMPARE(inbox->message(i).unread, !listed.messages[std::size_t(i)].read);
    }
}

void TestQuillboxInbox::indexIsWrittenForAStillFolderOnly()
{
    m_folders->put("A", "x");
    openInbox();
    quillbox::Store store(m_folders->storePath());
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    // Just changed: a change within the same tick of the clock could go
    // unseen.
    QCOMPARE(int(store.writeIndex(now)), int(quillbox::Store::IndexWrite::Later));
    // A clock set back: the folder seems to come from the future.
    QCOMPARE(int(store.writeIndex(now - 3600)), int(quillbox::Store::IndexWrite::Failed));
    QVERIFY(!QFile::exists(m_folders->store() + QStringLiteral("/index")));
    QVERIFY(!openInbox()->listedFromIndex());
    QCOMPARE(int(store.writeIndex(now + 10)), int(quillbox::Store::IndexWrite::Written));
    QVERIFY(openInbox()->listedFromIndex());
}

void TestQuillboxInbox::watcherSeesNewRecords()
{
    quillbox::SpoolWatcher watcher(m_folders->spool());
    QVERIFY(watcher.watching());
    QSignalSpy changed(&watcher, &quillbox::SpoolWatcher::changed);
    for (int i = 0; i < 5; ++i)
        m_folders->put("A", "x");
    QVERIFY(changed.wait(5000));
    // A burst is one look, not five.
    QTest::qWait(50);
    QVERIFY(changed.size() <= 2);
}

void TestQuillboxInbox::watcherWaitsForAMissingSpool()
{
    QVERIFY(QDir(m_folders->spool()).removeRecursively());
    quillbox::SpoolWatcher watcher(m_folders->spool());
    QVERIFY(!watcher.watching());
    QSignalSpy changed(&watcher, &quillbox::SpoolWatcher::changed);
    // Other things beside it change nothing.
    QVERIFY(QDir(m_folders->path()).mkdir(QStringLiteral("other")));
    QTest::qWait(100);
    QCOMPARE(changed.size(), 0);
    QVERIFY(QDir(m_folders->path()).mkdir(QStringLiteral("spool")));
    QVERIFY(changed.wait(5000));
    QVERIFY(watcher.watching());
    changed.clear();
    m_folders->put("A", "x");
    QVERIFY(changed.wait(5000));
}

QTEST_GUILESS_MAIN(TestQuillboxInbox)
#include "tst_quillboxinbox.moc"
