// kvoll sends through the real smbclient to a real smbd.
#include "application.h"
#include "charsetcases.h"
#include "mainwindow.h"
#include "sambareceiver.h"
#include "smbclient/smbclientrunner.h"

#include "comboitems.h"
#include "controlcharacters.h"
#include "messageboxwatcher.h"

#include <QComboBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>
#include <memory>

namespace {

QString g_noNetwork;
const SenderCharset *g_charset = nullptr;

} // namespace

class TestKvollEndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void deliversTheMessageAsTyped_data();
    void deliversTheMessageAsTyped();
    void everyCharacterArrivesOrNothingIsSent_data();
    void everyCharacterArrivesOrNothingIsSent();
    void deliversUpToTheLimitWhole_data();
    void deliversUpToTheLimitWhole();
    void refusedAddressIsANetworkError();
    void droppedMessageIsAFailure();
    void addressLikeAnOptionIsAnAddress();
    void controlCharactersArriveAsTyped();

private:
    void send(const QString &address, const QString &message);

    std::unique_ptr<SambaReceiver> m_receiver;
    std::unique_ptr<SambaReceiver> m_dropper;
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<MessageBoxWatcher> m_boxes;
    std::unique_ptr<TfrmMain> m_window;
};

void TestKvollEndToEnd::initTestCase()
{
    if (!g_noNetwork.isEmpty())
        QSKIP(qPrintable(g_noNetwork));
    QVERIFY2(g_charset->problem().isEmpty(), qPrintable(g_charset->problem()));
    // The receiver expects the code page the senders are configured for.
    m_receiver = std::make_unique<SambaReceiver>(
        QStringLiteral("127.0.0.2"), SambaReceiver::Protocol::Nt1, g_charset->named());
    m_dropper = std::make_unique<SambaReceiver>(
        QStringLiteral("127.0.0.4"), SambaReceiver::Protocol::Default);
    for (SambaReceiver *receiver : {m_receiver.get(), m_dropper.get()}) {
        const QString problem = receiver->start();
        if (problem.contains(QLatin1String("not installed")))
            QSKIP(qPrintable(problem));
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
}

void TestKvollEndToEnd::init()
{
    std::setlocale(LC_ALL, "C.UTF-8");
    m_receiver->clear();
    m_dropper->clear();
    m_home = std::make_unique<QTemporaryDir>();
    qputenv("HOME", m_home->path().toLocal8Bit());
    QFile history(m_home->filePath(".kvoll"));
    QVERIFY(history.open(QIODevice::WriteOnly));
    history.write("PC01\n");
    history.close();
    m_boxes = std::make_unique<MessageBoxWatcher>();
    m_window = std::make_unique<TfrmMain>();
    m_window->show();
}

void TestKvollEndToEnd::cleanup()
{
    m_window.reset();
    m_boxes.reset();
    m_home.reset();
}

void TestKvollEndToEnd::send(const QString &address, const QString &message)
{
    m_window->cboAddress->setEditText(address);
    m_window->txtMessage->setPlainText(message);
    QTest::mouseClick(m_window->cmdSend, Qt::LeftButton);
}

void TestKvollEndToEnd::deliversTheMessageAsTyped_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QByteArray>("received");

    QTest::newRow("three lines") << "first line\nsecond line\nthird line"
                                 << QByteArray("first line\nsecond line\nthird line\n");
    QTest::newRow("shell characters")
        << "\"quoted\" 'single' $HOME ${PATH} `id` $(touch /tmp/kvoll-e2e-pwned) \\ \\n \\\\ ; | & "
           "< > * ? ! #"
        << QByteArray("\"quoted\" 'single' $HOME ${PATH} `id` $(touch /tmp/kvoll-e2e-pwned) \\ \\n "
                      "\\\\ ; | & < > * ? ! #\n");
    QTest::newRow("leading dash") << "-n -e" << QByteArray("-n -e\n");
}

void TestKvollEndToEnd::deliversTheMessageAsTyped()
{
    QFETCH(QString, message);
    QFETCH(QByteArray, received);
    QFile::remove(QStringLiteral("/tmp/kvoll-e2e-pwned"));

    send(m_receiver->address(), message);

    QCOMPARE(m_boxes->boxes.size(), 1);
    QCOMPARE(m_boxes->boxes.first().text, QStringLiteral("Message sent!"));
    const auto messages = m_receiver->messages();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages.first().text, received);
    QCOMPARE(messages.first().calledAddress, QByteArray("127.0.0.2"));
    QVERIFY(!QFile::exists(QStringLiteral("/tmp/kvoll-e2e-pwned")));
    QCOMPARE(comboItems(m_window->cboAddress), QStringList({"PC01", "127.0.0.2"}));
    QCOMPARE(m_window->txtMessage->toPlainText(), QString());
}

void TestKvollEndToEnd::everyCharacterArrivesOrNothingIsSent_data()
{
    addCharsetRows(g_charset->used());
}

void TestKvollEndToEnd::everyCharacterArrivesOrNothingIsSent()
{
    QFETCH(QByteArray, locale);
    QFETCH(QString, text);
    QFETCH(bool, held);
    QVERIFY(std::setlocale(LC_ALL, locale.constData()));

    send(m_receiver->address(), text);

    QCOMPARE(m_boxes->boxes.size(), 1);
    const auto messages = m_receiver->messages();
    if (held) {
        QCOMPARE(m_boxes->boxes.first().text, QStringLiteral("Message sent!"));
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages.first().decodedText(), text + u'\n');
        QCOMPARE(comboItems(m_window->cboAddress), QStringList({"PC01", m_receiver->address()}));
        return;
    }
    QCOMPARE(int(m_boxes->boxes.first().icon), int(QMessageBox::Critical));
    QCOMPARE(m_boxes->boxes.first().text, QStringLiteral("Codeset conversion failure."));
    QVERIFY(messages.isEmpty());
    QCOMPARE(m_window->txtMessage->toPlainText(), text);
    QCOMPARE(m_window->cboAddress->currentText(), m_receiver->address());
    QCOMPARE(comboItems(m_window->cboAddress), QStringList({"PC01"}));
}

void TestKvollEndToEnd::deliversUpToTheLimitWhole_data()
{
    QTest::addColumn<QChar>("letter");
    QTest::newRow("ascii") << QChar(u'x');
    // One byte in the code page, two in UTF-8.
    QTest::newRow("e acute") << QChar(u'\u00e9');
}

void TestKvollEndToEnd::deliversUpToTheLimitWhole()
{
    QFETCH(QChar, letter);
    // 1,596 letters and the closing line feed make the 1,598 bytes smbclient
    // carries; they all arrive.
    const QString message(1596, letter);
    send(m_receiver->address(), message);
    QCOMPARE(m_boxes->boxes.size(), 1);
    QCOMPARE(m_boxes->boxes.first().text, QStringLiteral("Message sent!"));
    const auto messages = m_receiver->messages();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages.first().decodedText(), message + u'\n');

    // One more is refused before anything is sent.
    m_boxes->boxes.clear();
    send(m_receiver->address(), QString(1597, letter));
    QCOMPARE(m_boxes->boxes.size(), 1);
    QCOMPARE(m_boxes->boxes.first().text,
        QStringLiteral(
            "The message is too long to be delivered in one piece. Shorten it and send again."));
    QCOMPARE(m_receiver->messages().size(), 1);
}

void TestKvollEndToEnd::refusedAddressIsANetworkError()
{
    // Nothing listens on 127.0.0.3: the connection is refused.
    send(QStringLiteral("127.0.0.3"), QStringLiteral("Hello"));
    QCOMPARE(m_boxes->boxes.size(), 1);
    QCOMPARE(m_boxes->boxes.first().title, QStringLiteral("Error"));
    QCOMPARE(m_boxes->boxes.first().text,
        QStringLiteral("Sending failed. Make sure the network is working and that you entered the "
                       "correct address."));
    QCOMPARE(m_window->txtMessage->toPlainText(), QStringLiteral("Hello"));
    QCOMPARE(m_window->cboAddress->currentText(), QStringLiteral("127.0.0.3"));
    QCOMPARE(comboItems(m_window->cboAddress), QStringList({"PC01"}));
    QVERIFY(m_window->close());
    QFile history(m_home->filePath(".kvoll"));
    QVERIFY(history.open(QIODevice::ReadOnly));
    QCOMPARE(history.readAll(), QByteArray("PC01\n"));
}

void TestKvollEndToEnd::droppedMessageIsAFailure()
{
    send(m_dropper->address(), QStringLiteral("Hello"));
    QCOMPARE(m_boxes->boxes.size(), 1);
    QCOMPARE(m_boxes->boxes.first().text,
        QStringLiteral("Sending failed. Make sure the network is working and that you entered the "
                       "correct address."));
    QVERIFY(m_dropper->messages().isEmpty());
    QCOMPARE(m_window->txtMessage->toPlainText(), QStringLiteral("Hello"));
    QCOMPARE(comboItems(m_window->cboAddress), QStringList({"PC01"}));
}

void TestKvollEndToEnd::addressLikeAnOptionIsAnAddress()
{
    // Were "-N" read as smbclient's option, -M would lack its host and
    // smbclient would print its usage; it must try to reach a host "-N".
    // smbclient says so on its standard output, which the runner drops, so a
    // wrapper keeps a copy.  Name lookup is lmhosts only here, with no
    // lmhosts file, and the namespace holds nothing but loopback.
    QTemporaryDir wrapper;
    QFile script(wrapper.filePath(QStringLiteral("smbclient")));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nexec /usr/bin/smbclient \"$@\" > \"$(dirname \"$0\")/stdout\"\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(wrapper.path()) + ":/usr/bin:/bin");
    const auto result = smbclient::sendMessage(u"-N", u"Hi\n");
    qputenv("PATH", oldPath);

    QCOMPARE(result.outcome, smbclient::Outcome::Failed);
    QFile printed(wrapper.filePath(QStringLiteral("stdout")));
    QVERIFY(printed.open(QIODevice::ReadOnly));
    const QByteArray text = printed.readAll();
    QVERIFY2(text.contains("Connection to -N failed"), text.constData());
}

void TestKvollEndToEnd::controlCharactersArriveAsTyped()
{
    const ControlCharacters text = everyControlCharacter();
    send(m_receiver->address(), text.typed);
    QCOMPARE(m_boxes->boxes.size(), 1);
    QCOMPARE(m_boxes->boxes.first().text, QStringLiteral("Message sent!"));
    const auto messages = m_receiver->messages();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages.first().text, text.sent);
}

int main(int argc, char **argv)
{
    g_noNetwork = enterPrivateNetwork();
    const SenderCharset charset;
    g_charset = &charset;
    KvollApplication app(argc, argv);
    TestKvollEndToEnd test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kvoll_e2e.moc"
