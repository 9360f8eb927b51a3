// Messages to this machine: a real smbd, started by the test in a network
// namespace of its own, runs the built quillbox-deliver as its message
// command; they are sent with the real smbclient and through kvoll's send,
// and must show in Quillbox as they were sent.
#include "displaytext.h"
#include "frmquillbox.h"
#include "program.h"
#include "record.h"
#include "sambareceiver.h"
#include "send.h"

#include "faults.h"
#include "widgettext.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>
#include <memory>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace {

QString g_noNetwork;

const QString address = QStringLiteral("127.0.0.2");

struct Received
{
    record::Record record;
    QString name;
};

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The records in a spool, oldest first.
QList<Received> recordsIn(const QString &spool)
{
    QList<Received> list;
    for (const QString &name : QDir(spool).entryList(QDir::Files, QDir::Name)) {
        if (!record::isRecordName(name.toStdString()))
            continue;
        const QByteArray bytes = readAll(spool + u'/' + name);
        list.append({record::parse(bytes.toStdString()).record, name});
    }
    return list;
}

bool giveToGuest(const QString &path)
{
    const passwd *nobody = ::getpwnam("nobody");
    return nobody
        && ::chown(QFile::encodeName(path).constData(), nobody->pw_uid, nobody->pw_gid) == 0;
}

// smbclient -M as a Windows sender's user would: the sender's name with -U.
QProcess *startSmbclient(const QString &sender, const QByteArray &text, const QString &to)
{
    auto *process = new QProcess;
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::SeparateChannels);
    process->start(QStringLiteral("smbclient"), {"-U", sender, "-N", "-M", to});
    process->write(text);
    process->closeWriteChannel();
    return process;
}

QString sendWithSmbclient(
    const QString &sender, const QByteArray &text, const QString &to = address)
{
    std::unique_ptr<QProcess> process(startSmbclient(sender, text, to));
    if (!process->waitForFinished(30000) || process->exitCode() != 0)
        return QStringLiteral("smbclient failed: ")
            + QString::fromLocal8Bit(process->readAllStandardError());
    const QByteArray errors = process->readAllStandardError();
    if (errors.contains("NT_STATUS_"))
        return QString::fromLocal8Bit(errors);
    return {};
}

} // namespace

class TestQuillboxEndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void arrivesAsSent_data();
    void arrivesAsSent();
    void twentySendersAtOnce();
    void replyStartsKvollWithTheSender();
    void fullSpoolLeavesSmbdsFile();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_spool;
    QString m_deliver;
    std::unique_ptr<SambaReceiver> m_receiver;
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<quillbox::Program> m_program;
};

void TestQuillboxEndToEnd::initTestCase()
{
    if (!g_noNetwork.isEmpty())
        QSKIP(qPrintable(g_noNetwork));
    qputenv("TZ", "UTC");
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QFile::setPermissions(m_dir->path(),
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
            | QFile::ExeOther));
    // A copy of the built program where the guest account may run it,
    // whatever the build folder's permissions; the spool as the package
    // makes it: the guest account's, 0755.
    m_deliver = m_dir->filePath(QStringLiteral("quillbox-deliver"));
    QVERIFY(QFile::copy(QStringLiteral(QUILLBOX_DELIVER), m_deliver));
    m_spool = m_dir->filePath(QStringLiteral("spool"));
    QVERIFY(QDir().mkdir(m_spool));
    QVERIFY(giveToGuest(m_spool));

    m_receiver = std::make_unique<SambaReceiver>(address);
    m_receiver->setMessageCommand("/usr/bin/env QUILLBOX_SPOOL=" + QFile::encodeName(m_spool) + ' '
        + QFile::encodeName(m_deliver) + " %s '%f' '%L'");
    const QString problem = m_receiver->start();
    if (problem.contains(QLatin1String("not installed")))
        QSKIP(qPrintable(problem));
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

void TestQuillboxEndToEnd::init()
{
    for (const QString &name : QDir(m_spool).entryList(QDir::Files | QDir::Hidden))
        QVERIFY(QFile::remove(m_spool + u'/' + name));
    m_home = std::make_unique<QTemporaryDir>();
    quillbox::ProgramOptions options;
    options.spool = QFile::encodeName(m_spool).toStdString();
    options.store = QFile::encodeName(m_home->filePath(QStringLiteral("store"))).toStdString();
    options.probes.smbdRunning = [] { return true; };
    options.probes.spoolExists = [] { return true; };
    options.probes.testparm.clear();
    options.bus = QDBusConnection(QStringLiteral("no bus"));
    options.tray = false;
    m_program = std::make_unique<quillbox::Program>(options);
    m_program->start(true);
}

void TestQuillboxEndToEnd::cleanup()
{
    m_program.reset();
    m_home.reset();
}

void TestQuillboxEndToEnd::arrivesAsSent_data()
{
    QTest::addColumn<bool>("throughKvoll");
    QTest::addColumn<QString>("sender");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QByteArray>("received");

    QByteArray limit;
    for (int i = 0; i < 1598; ++i)
        limit += char('!' + i % 94);
    QTest::newRow("smbclient: Grüße") << false << "PC01"
                                      << QByteArray("Gr\xc3\xbc\xc3\x9f"
                                                    "e\n")
                                      << QByteArray("Gr\xc3\xbc\xc3\x9f"
                                                    "e\n");
    // The most the protocol carries, whole.
    QTest::newRow("smbclient: 1,598 bytes") << false << "PC01" << limit << limit;
    QTest::newRow("smbclient: lines")
        << false << "Jo" << QByteArray("one\ntwo\n\nfour\n") << QByteArray("one\ntwo\n\nfour\n");
    // smbd reduces the sender's name to letters, digits and "_".
    QTest::newRow("smbclient: a sender like a command")
        << false << "a-b.c;$(id)" << QByteArray("x\n") << QByteArray("x\n");
    QTest::newRow("kvoll: Grüße") << true << "KVOLLUSER"
                                  << QByteArray("Gr\xc3\xbc\xc3\x9f"
                                                "e")
                                  << QByteArray("Gr\xc3\xbc\xc3\x9f"
                                                "e\n");
    QTest::newRow("kvoll: 1,596 letters of two bytes")
        << true << "KVOLLUSER" << QString(1596, QChar(0xe9)).toUtf8()
        << (QString(1596, QChar(0xe9)) + u'\n').toUtf8();
}

void TestQuillboxEndToEnd::arrivesAsSent()
{
    QFETCH(bool, throughKvoll);
    QFETCH(QString, sender);
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, received);

    const qint64 before = QDateTime::currentSecsSinceEpoch();
    if (throughKvoll) {
        // smbclient names the sending user after USER.
        qputenv("USER", sender.toLatin1());
        QCOMPARE(
            kvoll::sendMessage(address, QString::fromUtf8(sent)), smbclient::Outcome::Delivered);
    } else {
        const QString problem = sendWithSmbclient(sender, sent);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
    const qint64 after = QDateTime::currentSecsSinceEpoch();

    // smbd ran the command before it answered: the record is there.
    const QList<Received> records = recordsIn(m_spool);
    QCOMPARE(records.size(), 1);
    const record::Record &r = records.first().record;
    QCOMPARE(QByteArray::fromStdString(r.text), received);
    const QString reduced = QString(sender).replace(QRegularExpression("[^A-Za-z0-9_]"), "_");
    QCOMPARE(QString::fromStdString(r.sender), reduced);
    QCOMPARE(QString::fromStdString(r.destination), address);
    QVERIFY(r.received >= before && r.received <= after);
    // smbd's file is gone.
    QCOMPARE(QDir(m_receiver->temporaryFolder()).entryList(QDir::Files), QStringList());

    // On screen, with sender, text and time.
    TfrmQuillbox *w = m_program->window();
    QTRY_VERIFY(w->isVisible());
    QTRY_COMPARE(widgetText(w, "lblPosition"), QStringLiteral("1 of 1"));
    QCOMPARE(widgetText(w, "lblHeader"), quillbox::headerLine(r));
    QVERIFY(widgetText(w, "lblHeader")
                .startsWith(QStringLiteral("From %1 to %2, ").arg(reduced, address)));
    QCOMPARE(widgetText(w, "txtMessage"), QString::fromUtf8(received));
    // And kept, byte for byte; read, now that it was shown.
    QCOMPARE(readAll(m_home->filePath(QStringLiteral("store/messages/")) + records.first().name
                 + QStringLiteral(".read")),
        readAll(m_spool + u'/' + records.first().name));
}

void TestQuillboxEndToEnd::twentySendersAtOnce()
{
    constexpr int senders = 20;
    constexpr int each = 10;
    // Each sender sends its next message when the last one was answered.
    QSet<QByteArray> expected;
    int finished = 0;
    QStringList failures;
    std::function<void(int, int)> send = [&](int sender, int number) {
        const QByteArray message
            = QStringLiteral("message %1 of sender %2\n").arg(number).arg(sender).toUtf8();
        expected.insert(message);
        QProcess *process
            = startSmbclient(QStringLiteral("SENDER%1").arg(sender), message, address);
        connect(process, &QProcess::finished, this, [&, process, sender, number](int code) {
            if (code != 0)
                failures.append(QString::fromLocal8Bit(process->readAllStandardError()));
            process->deleteLater();
            if (number + 1 < each)
                send(sender, number + 1);
            else
                ++finished;
        });
    };
    for (int sender = 0; sender < senders; ++sender)
        send(sender, 0);
    QTRY_VERIFY_WITH_TIMEOUT(finished == senders, 60000);
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(u'\n')));

    // All 200 in the spool, each once.
    const QList<Received> records = recordsIn(m_spool);
    QCOMPARE(records.size(), senders * each);
    QSet<QByteArray> arrived;
    for (const Received &r : records) {
        const QByteArray t = QByteArray::fromStdString(r.record.text);
        QVERIFY2(!arrived.contains(t), t.constData());
        arrived.insert(t);
        QVERIFY(r.record.sender.starts_with("SENDER"));
    }
    QCOMPARE(arrived, expected);

    // All 200 in Quillbox and its store, each once.
    quillbox::Inbox &inbox = m_program->inbox();
    QTRY_COMPARE(inbox.count(), senders * each);
    QSet<QByteArray> shown;
    for (int i = 0; i < inbox.count(); ++i)
        shown.insert(QByteArray::fromStdString(inbox.content(i).record.text));
    QCOMPARE(shown, expected);
    QCOMPARE(QDir(m_home->filePath(QStringLiteral("store/messages"))).entryList(QDir::Files).size(),
        senders * each);
    QTRY_COMPARE(
        widgetText(m_program->window(), "lblPosition").section(u' ', 2), QStringLiteral("200"));
}

void TestQuillboxEndToEnd::replyStartsKvollWithTheSender()
{
    QTemporaryDir bin;
    QFile script(bin.filePath(QStringLiteral("kvoll")));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write(
        "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.args.part\"; mv \"$0.args.part\" \"$0.args\"\n");
    script.close();
    QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()) + ':' + path);

    QVERIFY(sendWithSmbclient(QStringLiteral("OFFICE_PC"), "Call me back\n").isEmpty());
    TfrmQuillbox *w = m_program->window();
    QTRY_COMPARE(widgetText(w, "txtMessage"), QStringLiteral("Call me back\n"));
    QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("cmdReply")), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(bin.filePath(QStringLiteral("kvoll.args"))), 10000);
    qputenv("PATH", path);
    QCOMPARE(readAll(bin.filePath(QStringLiteral("kvoll.args"))), QByteArray("OFFICE_PC\n"));
}

void TestQuillboxEndToEnd::fullSpoolLeavesSmbdsFile()
{
    // A receiver of its own whose spool is a small disk, mounted before smbd
    // starts so that smbd and its command see it.
    const QString spool = m_dir->filePath(QStringLiteral("small-spool"));
    QVERIFY(QDir().mkdir(spool));
    const testsupport::SmallDisk disk(QFile::encodeName(spool).toStdString());
    if (!disk.problem().empty())
        QSKIP(disk.problem().c_str());
    QVERIFY(giveToGuest(spool));
    QVERIFY(disk.fill());
    SambaReceiver receiver(QStringLiteral("127.0.0.5"));
    receiver.setMessageCommand("/usr/bin/env QUILLBOX_SPOOL=" + QFile::encodeName(spool) + ' '
        + QFile::encodeName(m_deliver) + " %s '%f' '%L'");
    const QString problem = receiver.start();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));

    const QByteArray message(1598, 'k');
    sendWithSmbclient(QStringLiteral("PC01"), message, QStringLiteral("127.0.0.5"));

    QCOMPARE(recordsIn(spool).size(), 0);
    const QStringList left = QDir(receiver.temporaryFolder()).entryList(QDir::Files);
    QCOMPARE(left.size(), 1);
    QCOMPARE(readAll(receiver.temporaryFolder() + u'/' + left.first()), message);
}

int main(int argc, char **argv)
{
    g_noNetwork = enterPrivateNetwork();
    std::setlocale(LC_ALL, "C.UTF-8");
    QApplication app(argc, argv);
    TestQuillboxEndToEnd test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_quillbox_e2e.moc"
