// Quillbox's window and the program around it, on the offscreen platform:
// what it shows, how it moves between messages, Delete, Reply, new records
// bringing it to the front, the set-up line and the desktop announcement.
#include "frmquillbox.h"
#include "notifier.h"
#include "program.h"
#include "spoolfolders.h"

#include "messageboxwatcher.h"
#include "widgettext.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusServer>
#include <QDateTime>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

// The freedesktop notification service, as far as Quillbox uses it.
class FakeNotifications : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call
    {
        uint replaces;
        QString summary;
        QString body;
        QStringList actions;
    };
    QList<Call> calls;

public slots:
    uint Notify(const QString &, uint replaces, const QString &, const QString &summary,
        const QString &body, const QStringList &actions, const QVariantMap &, int)
    {
        calls.append({replaces, summary, body, actions});
        return uint(40 + calls.size());
    }
};

QPushButton *button(QWidget *window, const char *name)
{
    return window->findChild<QPushButton *>(QLatin1String(name));
}

} // namespace

class TestQuillboxWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void hasItsControls();
    void emptyInbox();
    void opensAtTheOldestUnread();
    void movesBetweenMessages_data();
    void movesBetweenMessages();
    void accessKeysPressTheButtons();
    void deleteShowsTheNextOne_data();
    void deleteShowsTheNextOne();
    void hostileTextIsShownNotInterpreted();
    void replyStartsKvollWithTheSender_data();
    void replyStartsKvollWithTheSender();
    void replyWithoutKvollIsReported();
    void newRecordComesToTheFront();
    void backgroundStartWaitsForAMessage_data();
    void backgroundStartWaitsForAMessage();
    void storeIndexIsWrittenOnceItIsStill();
    void setupProblemIsOneLine();
    void noticesAreShown();
    void announcesOnTheDesktop();
    void announcementText_data();
    void announcementText();
    void trayIconCarriesTheCount();

private:
    TfrmQuillbox *openWindow();
    quillbox::ProgramOptions options(const QString &problemOfSetup = {});

    std::unique_ptr<SpoolFolders> m_folders;
    std::unique_ptr<quillbox::Inbox> m_inbox;
    std::unique_ptr<TfrmQuillbox> m_window;
    std::unique_ptr<MessageBoxWatcher> m_boxes;
    QByteArray m_path;
};

void TestQuillboxWindow::initTestCase()
{
    qputenv("TZ", "UTC");
    QLocale::setDefault(QLocale(QStringLiteral("de_DE")));
    m_path = qgetenv("PATH");
}

void TestQuillboxWindow::init()
{
    m_folders = std::make_unique<SpoolFolders>();
    m_boxes = std::make_unique<MessageBoxWatcher>();
}

void TestQuillboxWindow::cleanup()
{
    m_window.reset();
    m_inbox.reset();
    m_boxes.reset();
    m_folders.reset();
    qputenv("PATH", m_path);
}

TfrmQuillbox *TestQuillboxWindow::openWindow()
{
    m_inbox = std::make_unique<quillbox::Inbox>(
        quillbox::Spool(m_folders->spoolPath()), quillbox::Store(m_folders->storePath()));
    m_inbox->open();
    m_window = std::make_unique<TfrmQuillbox>(*m_inbox);
    m_window->show();
    m_window->activateWindow();
    if (!QTest::qWaitForWindowActive(m_window.get()))
        qWarning("window did not become active");
    return m_window.get();
}

quillbox::ProgramOptions TestQuillboxWindow::options(const QString &problemOfSetup)
{
    quillbox::ProgramOptions o;
    o.spool = m_folders->spoolPath();
    o.store = m_folders->storePath();
    // No smbd on the test machine is asked: a testparm that is not there.
    o.probes.smbdRunning = [] { return true; };
    o.probes.spoolExists = [] { return true; };
    o.probes.testparm = problemOfSetup.isEmpty() ? QString() : m_folders->path() + "/no-testparm";
    o.bus = QDBusConnection(QStringLiteral("no bus"));
    o.tray = false;
    return o;
}

void TestQuillboxWindow::hasItsControls()
{
    m_folders->put("PC01", "Lunch is ready.\n");
    TfrmQuillbox *w = openWindow();
    QCOMPARE(w->windowTitle(), QStringLiteral("Quillbox"));
    QCOMPARE(w->minimumSize(), w->maximumSize());
    QVERIFY(!(w->windowFlags() & Qt::WindowMaximizeButtonHint));
    for (const auto &[name, caption] :
        {std::pair {"cmdPrevious", "&Previous"}, std::pair {"cmdNext", "&Next"},
            std::pair {"cmdDelete", "&Delete"}, std::pair {"cmdReply", "&Reply"}}) {
        QPushButton *b = button(w, name);
        QVERIFY2(b, name);
        QCOMPARE(b->text(), QString::fromUtf8(caption));
    }
    QCOMPARE(widgetText(w, "lblHeader"), QStringLiteral("From PC01 to OFFICE, 08.12.26 20:24"));
    QCOMPARE(widgetText(w, "txtMessage"), QStringLiteral("Lunch is ready.\n"));
    QCOMPARE(widgetText(w, "lblPosition"), QStringLiteral("1 of 1"));
    auto *message = w->findChild<QPlainTextEdit *>(QStringLiteral("txtMessage"));
    QVERIFY(message && message->isReadOnly());
    QVERIFY(message->textInteractionFlags() & Qt::TextSelectableByMouse);
    QVERIFY(message->textInteractionFlags() & Qt::TextSelectableByKeyboard);
}

void TestQuillboxWindow::emptyInbox()
{
    TfrmQuillbox *w = openWindow();
    QCOMPARE(widgetText(w, "lblPosition"), QStringLiteral("0 of 0"));
    QCOMPARE(widgetText(w, "lblHeader"), QString());
    QCOMPARE(widgetText(w, "txtMessage"), QString());
    for (const char *name : {"cmdPrevious", "cmdNext", "cmdDelete", "cmdReply"})
        QVERIFY2(button(w, name) && !button(w, name)->isEnabled(), name);
}

void TestQuillboxWindow::opensAtTheOldestUnread()
{
    for (const char *sender : {"A", "B", "C"})
        m_folders->put(sender, sender);
    {
        quillbox::Inbox inbox(
            quillbox::Spool(m_folders->spoolPath()), quillbox::Store(m_folders->storePath()));
        inbox.open();
        inbox.markRead(0);
    }
    TfrmQuillbox *w = openWindow();
    QCOMPARE(widgetText(w, "lblPosition"), QStringLiteral("2 of 3"));
    QCOMPARE(widgetText(w, "txtMessage"), QStringLiteral("B"));
    // Shown in a visible window: read.
    QCOMPARE(m_inbox->unreadCount(), 1);
}

void TestQuillboxWindow::movesBetweenMessages_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("position");
    QTest::addColumn<bool>("previous");
    QTest::addColumn<bool>("next");
    QTest::addColumn<int>("unread");
    QTest::newRow("at the first") << QStringList() << "1 of 3" << false << true << 2;
    QTest::newRow("next") << QStringList({"cmdNext"}) << "2 of 3" << true << true << 1;
    QTest::newRow("to the last") << QStringList({"cmdNext", "cmdNext"}) << "3 of 3" << true << false
                                 << 0;
    QTest::newRow("and back") << QStringList({"cmdNext", "cmdNext", "cmdPrevious"}) << "2 of 3"
                              << true << true << 0;
}

void TestQuillboxWindow::movesBetweenMessages()
{
    QFETCH(QStringList, clicks);
    QFETCH(QString, position);
    QFETCH(bool, previous);
    QFETCH(bool, next);
    QFETCH(int, unread);
    for (const char *sender : {"A", "B", "C"})
        m_folders->put(sender, sender);
    TfrmQuillbox *w = openWindow();
    for (const QString &name : clicks)
        QTest::mouseClick(button(w, name.toLatin1().constData()), Qt::LeftButton);
    QCOMPARE(widgetText(w, "lblPosition"), position);
    QCOMPARE(widgetText(w, "txtMessage"), QString(QChar(u'A' + position.at(0).digitValue() - 1)));
    QCOMPARE(button(w, "cmdPrevious")->isEnabled(), previous);
    QCOMPARE(button(w, "cmdNext")->isEnabled(), next);
    // What was on screen has been read.
    QCOMPARE(m_inbox->unreadCount(), unread);
}

void TestQuillboxWindow::accessKeysPressTheButtons()
{
    for (const char *sender : {"A", "B"})
        m_folders->put(sender, sender);
    TfrmQuillbox *w = openWindow();
    QTest::keyClick(w, Qt::Key_N, Qt::AltModifier);
    QTRY_COMPARE(widgetText(w, "lblPosition"), QStringLiteral("2 of 2"));
    QTest::keyClick(w, Qt::Key_P, Qt::AltModifier);
    QTRY_COMPARE(widgetText(w, "lblPosition"), QStringLiteral("1 of 2"));
    QTest::keyClick(w, Qt::Key_D, Qt::AltModifier);
    QTRY_COMPARE(widgetText(w, "lblPosition"), QStringLiteral("1 of 1"));
    QCOMPARE(widgetText(w, "txtMessage"), QStringLiteral("B"));
}

void TestQuillboxWindow::deleteShowsTheNextOne_data()
{
    QTest::addColumn<int>("at");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("position");
    QTest::newRow("the first") << 0 << "B"
                               << "1 of 2";
    QTest::newRow("the middle") << 1 << "C"
                                << "2 of 2";
    QTest::newRow("the last") << 2 << "B"
                              << "2 of 2";
}

void TestQuillboxWindow::deleteShowsTheNextOne()
{
    QFETCH(int, at);
    QFETCH(QString, shown);
    QFETCH(QString, position);
    for (const char *sender : {"A", "B", "C"})
        m_folders->put(sender, sender);
    TfrmQuillbox *w = openWindow();
    w->showMessage(at);
    QTest::mouseClick(button(w, "cmdDelete"), Qt::LeftButton);
    QCOMPARE(widgetText(w, "txtMessage"), shown);
    QCOMPARE(widgetText(w, "lblPosition"), position);
    QCOMPARE(m_inbox->count(), 2);

    // Gone after a restart too, and the rest can go one by one.
    m_window.reset();
    w = openWindow();
    QCOMPARE(m_inbox->count(), 2);
    QTest::mouseClick(button(w, "cmdDelete"), Qt::LeftButton);
    QTest::mouseClick(button(w, "cmdDelete"), Qt::LeftButton);
    QCOMPARE(widgetText(w, "lblPosition"), QStringLiteral("0 of 0"));
    QVERIFY(!button(w, "cmdDelete")->isEnabled());
}

void TestQuillboxWindow::hostileTextIsShownNotInterpreted()
{
    m_folders->put("<b>BOSS</b>",
        "Pay \xe2\x80\xae"
        "gnp.exe\x1b[2J<i>now</i>\r\n");
    TfrmQuillbox *w = openWindow();
    QCOMPARE(
        widgetText(w, "lblHeader"), QStringLiteral("From <b>BOSS</b> to OFFICE, 08.12.26 20:24"));
    QCOMPARE(w->findChild<QLabel *>(QStringLiteral("lblHeader"))->textFormat(), Qt::PlainText);
    QCOMPARE(widgetText(w, "txtMessage"),
        QStringLiteral("Pay \\u{202E}gnp.exe\u241b[2J<i>now</i>\u240d\n"));
}

void TestQuillboxWindow::replyStartsKvollWithTheSender_data()
{
    QTest::addColumn<QByteArray>("sender");
    QTest::newRow("a name as smbd passes it") << QByteArray("a_b_c___id_");
    QTest::newRow("spaces and shell characters") << QByteArray("a b;$(touch pwned) 'x'");
}

void TestQuillboxWindow::replyStartsKvollWithTheSender()
{
    QFETCH(QByteArray, sender);
    // A stand-in kvoll on the PATH writes down its arguments, one a line.
    const QString bin = m_folders->path() + QStringLiteral("/bin");
    QVERIFY(QDir().mkdir(bin));
    QFile script(bin + QStringLiteral("/kvoll"));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0.args.part\"\n"
                 "mv \"$0.args.part\" \"$0.args\"\n");
    script.close();
    QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
    qputenv("PATH", QFile::encodeName(bin) + ':' + m_path);

    m_folders->put(sender.toStdString(), "Lunch?");
    TfrmQuillbox *w = openWindow();
    QTest::mouseClick(button(w, "cmdReply"), Qt::LeftButton);
    const QString args = bin + QStringLiteral("/kvoll.args");
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(args), 10000);
    QCOMPARE(m_folders->read(args), sender + '\n');
    QVERIFY(!QFile::exists(QDir::current().filePath(QStringLiteral("pwned"))));
    QVERIFY(m_boxes->boxes.isEmpty());
}

void TestQuillboxWindow::replyWithoutKvollIsReported()
{
    m_folders->put("PC01", "Lunch?");
    TfrmQuillbox *w = openWindow();
    w->setReplyProgram(m_folders->path() + QStringLiteral("/no-kvoll"));
    QTest::mouseClick(button(w, "cmdReply"), Qt::LeftButton);
    QCOMPARE(m_boxes->boxes.size(), 1);
    QCOMPARE(m_boxes->boxes.first().text,
        QStringLiteral("kvoll could not be started to reply. Install it (Debian package quillon) "
                       "or put it on your PATH."));
}

void TestQuillboxWindow::newRecordComesToTheFront()
{
    m_folders->put("OLD", "old");
    quillbox::Program program(options());
    program.start(false);
    TfrmQuillbox *w = program.window();
    QVERIFY(w->isVisible());
    QCOMPARE(widgetText(w, "lblPosition"), QStringLiteral("1 of 1"));
    // The user hides it; a new record brings it back, at the new message.
    w->hide();
    m_folders->put("PC02", "Meeting at three.");
    QTRY_VERIFY(w->isVisible());
    QTRY_COMPARE(widgetText(w, "lblPosition"), QStringLiteral("2 of 2"));
    QCOMPARE(widgetText(w, "txtMessage"), QStringLiteral("Meeting at three."));
    QCOMPARE(program.inbox().unreadCount(), 0);
}

void TestQuillboxWindow::backgroundStartWaitsForAMessage_data()
{
    QTest::addColumn<bool>("waiting");
    QTest::newRow("nothing new") << false;
    QTest::newRow("a message that came meanwhile") << true;
}

void TestQuillboxWindow::backgroundStartWaitsForAMessage()
{
    QFETCH(bool, waiting);
    m_folders->put("SEEN", "seen");
    {
        quillbox::Inbox inbox(
            quillbox::Spool(m_folders->spoolPath()), quillbox::Store(m_folders->storePath()));
        inbox.open();
        inbox.markRead(0);
    }
    if (waiting)
        m_folders->put("NEW", "came while Quillbox was not running");
    quillbox::Program program(options());
    program.start(true);
    TfrmQuillbox *w = program.window();
    QCOMPARE(w->isVisible(), waiting);
    if (waiting) {
        QCOMPARE(
            widgetText(w, "txtMessage"), QStringLiteral("came while Quillbox was not running"));
        return;
    }
    QTest::qWait(50);
    QVERIFY(!w->isVisible());
    m_folders->put("NEW", "now");
    QTRY_VERIFY(w->isVisible());
    QCOMPARE(widgetText(w, "txtMessage"), QStringLiteral("now"));
}

void TestQuillboxWindow::storeIndexIsWrittenOnceItIsStill()
{
    for (const char *sender : {"A", "B"})
        m_folders->put(sender, sender);
    {
        quillbox::Inbox inbox(
            quillbox::Spool(m_folders->spoolPath()), quillbox::Store(m_folders->storePath()));
        inbox.open();
    }
    // The store has been still for a while; the window then marks A read.
    const QByteArray messages = QFile::encodeName(m_folders->store() + "/messages");
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const timespec past[2] = {{now - 10, 0}, {now - 10, 0}};
    QCOMPARE(::utimensat(AT_FDCWD, messages.constData(), past, 0), 0);
    quillbox::ProgramOptions o = options();
    o.indexDelay = 0;
    {
        quillbox::Program program(o);
        program.start(false);
        QVERIFY(!program.inbox().listedFromIndex());
        QCOMPARE(program.inbox().unreadCount(), 1);
        // Written once the folder has been still for two seconds.
        QTRY_VERIFY_WITH_TIMEOUT(
            QFile::exists(m_folders->store() + QStringLiteral("/index")), 10000);
    }
    quillbox::Inbox again(
        quillbox::Spool(m_folders->spoolPath()), quillbox::Store(m_folders->storePath()));
    again.open();
    QVERIFY(again.listedFromIndex());
    QCOMPARE(again.count(), 2);
    QCOMPARE(again.unreadCount(), 1);
}

void TestQuillboxWindow::setupProblemIsOneLine()
{
    quillbox::Program program(options(QStringLiteral("missing testparm")));
    program.start(false);
    QTRY_COMPARE(widgetText(program.window(), "lblNotice"),
        QStringLiteral("Messages cannot arrive: Samba is not installed. Fix: sudo apt install "
                       "samba"));
}

void TestQuillboxWindow::noticesAreShown()
{
    m_folders->put("REAL", "real");
    const std::string planted = record::recordName(1796761441, 0, 1);
    QVERIFY(QFile::link(QStringLiteral("/etc/passwd"),
        m_folders->spool() + u'/' + QString::fromStdString(planted)));
    quillbox::Program program(options());
    program.start(false);
    QCOMPARE(widgetText(program.window(), "lblPosition"), QStringLiteral("1 of 1"));
    QCOMPARE(widgetText(program.window(), "lblNotice"),
        QStringLiteral("Ignored %1 in the spool %2: it is a symbolic link.")
            .arg(QString::fromStdString(planted), m_folders->spool()));
}

void TestQuillboxWindow::announcesOnTheDesktop()
{
    // A private peer-to-peer bus with a stand-in notification service.
    FakeNotifications service;
    QDBusServer server;
    QVERIFY2(server.isConnected(), qPrintable(server.lastError().message()));
    connect(&server, &QDBusServer::newConnection, this, [&service](const QDBusConnection &peer) {
        QDBusConnection(peer).registerObject(QStringLiteral("/org/freedesktop/Notifications"),
            &service, QDBusConnection::ExportAllSlots);
    });
    const QDBusConnection bus
        = QDBusConnection::connectToPeer(server.address(), QStringLiteral("notifications"));
    QVERIFY2(bus.isConnected(), qPrintable(bus.lastError().message()));

    quillbox::DesktopNotifier notifier(bus);
    notifier.announce({QStringLiteral("Message from PC01"), QStringLiteral("a &lt;b&gt;")});
    QTRY_COMPARE(service.calls.size(), 1);
    QCOMPARE(service.calls[0].summary, QStringLiteral("Message from PC01"));
    QCOMPARE(service.calls[0].body, QStringLiteral("a &lt;b&gt;"));
    QCOMPARE(service.calls[0].replaces, 0u);
    QCOMPARE(service.calls[0].actions, QStringList({"default", "Show"}));
    // The next one replaces the bubble of the first.
    QTest::qWait(20);
    notifier.announce({QStringLiteral("2 new messages"), QStringLiteral("From A, B")});
    QTRY_COMPARE(service.calls.size(), 2);
    QCOMPARE(service.calls[1].replaces, 41u);
    QDBusConnection::disconnectFromPeer(QStringLiteral("notifications"));
}

void TestQuillboxWindow::announcementText_data()
{
    QTest::addColumn<QStringList>("senders");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QString>("body");
    QTest::newRow("one") << QStringList({"PC01"}) << "Lunch\nis  ready"
                         << "Message from PC01"
                         << "Lunch is ready";
    QTest::newRow("markup") << QStringList({"PC01"}) << "<a href='x'>click</a> & go"
                            << "Message from PC01"
                            << "&lt;a href='x'&gt;click&lt;/a&gt; &amp; go";
    QTest::newRow("long") << QStringList({"PC01"}) << QString(300, u'x') << "Message from PC01"
                          << QString(199, u'x') + QChar(0x2026);
    QTest::newRow("several") << QStringList({"A", "B", "A"}) << "first"
                             << "3 new messages"
                             << "From A, B";
}

void TestQuillboxWindow::announcementText()
{
    QFETCH(QStringList, senders);
    QFETCH(QString, text);
    QFETCH(QString, summary);
    QFETCH(QString, body);
    const quillbox::Announcement a = quillbox::announcementFor(senders, text);
    QCOMPARE(a.summary, summary);
    QCOMPARE(a.body, body);
}

void TestQuillboxWindow::trayIconCarriesTheCount()
{
    const QImage none = quillbox::iconWithCount(0).pixmap(48).toImage();
    const QImage three = quillbox::iconWithCount(3).pixmap(48).toImage();
    const QImage four = quillbox::iconWithCount(4).pixmap(48).toImage();
    QVERIFY(!none.isNull());
    QVERIFY(none != three);
    QVERIFY(three != four);
}

QTEST_MAIN(TestQuillboxWindow)
#include "tst_quillboxwindow.moc"
