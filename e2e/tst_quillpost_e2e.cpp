// Quillpost sends through the POSIX platform layer, the real smbclient and a
// real smbd.
#include "charsetcases.h"
#include "frmmain.h"
#include "qttoolkit.h"
#include "sambareceiver.h"

#include "messageboxwatcher.h"

#include <QLineEdit>
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

class TestQuillpostEndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void deliversTheMessageUnchanged_data();
    void deliversTheMessageUnchanged();
    void everyCharacterArrivesOrNothingIsSent_data();
    void everyCharacterArrivesOrNothingIsSent();
    void deliversUpToTheLimitWhole();
    void refusedRecipientIsAnError();

private:
    void send(const QString &recipient, const QString &message);

    QTemporaryDir m_config;
    std::unique_ptr<SambaReceiver> m_receiver;
    std::unique_ptr<MessageBoxWatcher> m_boxes;
    forms::qt::Toolkit m_toolkit;
    forms::System m_system;
    std::unique_ptr<quillpost::FrmMain> m_form;
    QWidget *m_window = nullptr;
};

void TestQuillpostEndToEnd::initTestCase()
{
    if (!g_noNetwork.isEmpty())
        QSKIP(qPrintable(g_noNetwork));
    QVERIFY2(g_charset->problem().isEmpty(), qPrintable(g_charset->problem()));
    // No preset recipient: the settings folder is empty.
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    // The receiver expects the code page the senders are configured for.
    m_receiver = std::make_unique<SambaReceiver>(
        QStringLiteral("127.0.0.2"), SambaReceiver::Protocol::Nt1, g_charset->named());
    const QString problem = m_receiver->start();
    if (problem.contains(QLatin1String("not installed")))
        QSKIP(qPrintable(problem));
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

void TestQuillpostEndToEnd::init()
{
    m_receiver->clear();
    m_boxes = std::make_unique<MessageBoxWatcher>();
    m_form = std::make_unique<quillpost::FrmMain>(m_toolkit, m_system);
    m_window = forms::qt::widgetOf(m_form->view());
    m_form->show();
}

void TestQuillpostEndToEnd::cleanup()
{
    m_form.reset();
    m_window = nullptr;
    m_boxes.reset();
}

void TestQuillpostEndToEnd::send(const QString &recipient, const QString &message)
{
    m_window->findChild<QLineEdit *>("txtTo")->setText(recipient);
    m_window->findChild<QPlainTextEdit *>("txtMessage")->setPlainText(message);
    QTest::mouseClick(m_window->findChild<QPushButton *>("cmdSend"), Qt::LeftButton);
}

void TestQuillpostEndToEnd::deliversTheMessageUnchanged_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QByteArray>("received");
    QTest::newRow("one line") << "Lunch is ready." << QByteArray("Lunch is ready.");
    QTest::newRow("three lines") << "one\ntwo\nthree" << QByteArray("one\ntwo\nthree");
    QTest::newRow("shell characters")
        << "\"$HOME\" `id` $(id) \\ ;|&" << QByteArray("\"$HOME\" `id` $(id) \\ ;|&");
}

void TestQuillpostEndToEnd::deliversTheMessageUnchanged()
{
    QFETCH(QString, message);
    QFETCH(QByteArray, received);
    send(m_receiver->address(), message);

    QCOMPARE(m_boxes->boxes.size(), 1);
    QCOMPARE(m_boxes->boxes.first().title, QStringLiteral("Success"));
    QCOMPARE(m_boxes->boxes.first().text, QStringLiteral("Message sent!"));
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Windows Quillon"));
    const auto messages = m_receiver->messages();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages.first().text, received);
    QCOMPARE(m_window->findChild<QPlainTextEdit *>("txtMessage")->toPlainText(), QString());
}

void TestQuillpostEndToEnd::everyCharacterArrivesOrNothingIsSent_data()
{
    addCharsetRows(g_charset->used());
}

// Quillpost sends through BroadcastMessage.
void TestQuillpostEndToEnd::everyCharacterArrivesOrNothingIsSent()
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
        QCOMPARE(messages.first().decodedText(), text);
        return;
    }
    QCOMPARE(m_boxes->boxes.first().text, QStringLiteral("Failed to send the message!"));
    QVERIFY(messages.isEmpty());
    QCOMPARE(m_window->findChild<QPlainTextEdit *>("txtMessage")->toPlainText(), text);
}

void TestQuillpostEndToEnd::deliversUpToTheLimitWhole()
{
    // 1,598 letters of one byte each in the code page: all that smbclient
    // carries, and all of it arrives.
    const QString message(1598, u'\u00e9');
    send(m_receiver->address(), message);
    QCOMPARE(m_boxes->boxes.size(), 1);
    QCOMPARE(m_boxes->boxes.first().text, QStringLiteral("Message sent!"));
    const auto messages = m_receiver->messages();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages.first().decodedText(), message);

    m_boxes->boxes.clear();
    send(m_receiver->address(), message + u'\u00e9');
    QCOMPARE(m_boxes->boxes.size(), 1);
    QCOMPARE(m_boxes->boxes.first().text, QStringLiteral("Failed to send the message!"));
    QCOMPARE(m_receiver->messages().size(), 1);
}

void TestQuillpostEndToEnd::refusedRecipientIsAnError()
{
    // Nothing listens on 127.0.0.3.
    send(QStringLiteral("127.0.0.3"), QStringLiteral("Hello"));
    QCOMPARE(m_boxes->boxes.size(), 1);
    QCOMPARE(m_boxes->boxes.first().title, QStringLiteral("Error"));
    QCOMPARE(m_boxes->boxes.first().text, QStringLiteral("Failed to send the message!"));
    QCOMPARE(int(m_boxes->boxes.first().icon), int(QMessageBox::Critical));
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Error"));
    QCOMPARE(m_window->findChild<QPlainTextEdit *>("txtMessage")->toPlainText(),
        QStringLiteral("Hello"));
}

int main(int argc, char **argv)
{
    g_noNetwork = enterPrivateNetwork();
    const SenderCharset charset;
    g_charset = &charset;
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Quillpost"));
    TestQuillpostEndToEnd test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_quillpost_e2e.moc"
