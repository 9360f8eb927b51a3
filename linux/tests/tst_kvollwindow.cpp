#include "application.h"
#include "mainwindow.h"

#include "comboitems.h"
#include "messageboxwatcher.h"
#include "qtfakesmbclient.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>
#include <memory>

namespace {

const QString networkError = QStringLiteral(
    "Sending failed. Make sure the network is working and that you entered the correct address.");
const QString startError = QStringLiteral(
    "Sending failed. Make sure smbclient is in your path, or make a symbolic link to it.");
const QString tooLongError = QStringLiteral(
    "The message is too long to be delivered in one piece. Shorten it and send again.");
// The tests' smbclient configuration names no dos charset: CP850.
const QString unixCharsetOption = QStringLiteral("--option=unix charset=CP850");

} // namespace

class TestKvollWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void opensEmptyWithFocusInTheAddress();
    void hasAFixedFrame();
    void tabCyclesThroughTheThreeControls();
    void loadsTheHistoryInFileOrder();
    void emptyMessageOrAddressIsSilent_data();
    void emptyMessageOrAddressIsSilent();
    void outcomes_data();
    void outcomes();
    void knownAddressInOtherCaseAddsNothing();
    void messageReachesSmbclientWithOneLineFeed_data();
    void messageReachesSmbclientWithOneLineFeed();
    void altSSends();
    void enterInTheAddressDoesNothing();
    void enterInTheMessageStartsANewLine();
    void tooLongMessageIsNotSent_data();
    void tooLongMessageIsNotSent();
    void unrepresentableTextIsReported_data();
    void unrepresentableTextIsReported();
    void reportText_data();
    void reportText();
    void closingSavesTheGrownHistory();
    void closingWithoutADeliveryCreatesNoFile();
    void unreadableHistoryIsNotReplaced();

private:
    TfrmMain *openWindow();
    void send(TfrmMain *window, const QString &address, const QString &message);
    QByteArray historyBytes() const;
    void writeHistory(const QByteArray &bytes);

    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<testsupport::FakeSmbclient> m_smbclient;
    std::unique_ptr<MessageBoxWatcher> m_boxes;
    std::unique_ptr<TfrmMain> m_window;
};

void TestKvollWindow::init()
{
    std::setlocale(LC_ALL, "C.UTF-8");
    m_home = std::make_unique<QTemporaryDir>();
    qputenv("HOME", m_home->path().toLocal8Bit());
    m_smbclient = std::make_unique<testsupport::FakeSmbclient>();
    m_boxes = std::make_unique<MessageBoxWatcher>();
}

void TestKvollWindow::cleanup()
{
    m_window.reset();
    m_boxes.reset();
    m_smbclient.reset();
    m_home.reset();
}

TfrmMain *TestKvollWindow::openWindow()
{
    m_window = std::make_unique<TfrmMain>();
    m_window->show();
    m_window->activateWindow();
    if (!QTest::qWaitForWindowActive(m_window.get()))
        qWarning("window did not become active");
    return m_window.get();
}

void TestKvollWindow::send(TfrmMain *window, const QString &address, const QString &message)
{
    window->cboAddress->setEditText(address);
    window->txtMessage->setPlainText(message);
    QTest::mouseClick(window->cmdSend, Qt::LeftButton);
}

QByteArray TestKvollWindow::historyBytes() const
{
    QFile file(m_home->filePath(".kvoll"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
}

void TestKvollWindow::writeHistory(const QByteArray &bytes)
{
    QFile file(m_home->filePath(".kvoll"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void TestKvollWindow::opensEmptyWithFocusInTheAddress()
{
    TfrmMain *w = openWindow();
    QCOMPARE(w->windowTitle(), QStringLiteral("Quillon for Linux"));
    QCOMPARE(w->cboAddress->count(), 0);
    QCOMPARE(w->cboAddress->currentText(), QString());
    QCOMPARE(w->txtMessage->toPlainText(), QString());
    QCOMPARE(w->findChild<QLabel *>("lblAddress")->text(), QStringLiteral("Address:"));
    QCOMPARE(w->findChild<QLabel *>("lblMessage")->text(), QStringLiteral("Message:"));
    QCOMPARE(w->cmdSend->text(), QStringLiteral("&Send"));
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w->cboAddress));
}

void TestKvollWindow::hasAFixedFrame()
{
    TfrmMain *w = openWindow();
    QCOMPARE(w->size(), QSize(291, 383));
    QCOMPARE(w->minimumSize(), w->maximumSize());
    QVERIFY(!(w->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(w->windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!w->cmdSend->isDefault() && !w->cmdSend->autoDefault());
    QCOMPARE(w->cboAddress->maxVisibleItems(), 8);
    QCOMPARE(w->cmdSend->geometry(), QRect(16, 336, 257, 33));
}

void TestKvollWindow::tabCyclesThroughTheThreeControls()
{
    TfrmMain *w = openWindow();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w->cboAddress));
    const QList<QWidget *> expected {w->txtMessage, w->cmdSend, w->cboAddress, w->txtMessage};
    for (QWidget *next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTRY_COMPARE(QApplication::focusWidget(), next);
    }
}

void TestKvollWindow::loadsTheHistoryInFileOrder()
{
    writeHistory("PC01\r\nPC02\r\n\r\nPC01");
    TfrmMain *w = openWindow();
    QCOMPARE(comboItems(w->cboAddress), QStringList({"PC01", "PC02", "", "PC01"}));
}

void TestKvollWindow::emptyMessageOrAddressIsSilent_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("message");
    QTest::newRow("no message") << QStringLiteral("PC01") << QString();
    QTest::newRow("no address") << QString() << QStringLiteral("Hi");
    QTest::newRow("only a line break") << QStringLiteral("PC01") << QStringLiteral("\n");
}

void TestKvollWindow::emptyMessageOrAddressIsSilent()
{
    QFETCH(QString, address);
    QFETCH(QString, message);
    TfrmMain *w = openWindow();
    send(w, address, message);
    QTest::qWait(50);
    QVERIFY(m_boxes->boxes.isEmpty());
    QVERIFY(!m_smbclient->ran());
    QCOMPARE(w->txtMessage->toPlainText(), message);
    QCOMPARE(w->cboAddress->count(), 0);
}

void TestKvollWindow::outcomes_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("delivered");

    const int info = QMessageBox::Information;
    const int critical = QMessageBox::Critical;
    QTest::newRow("delivered") << "exit 0"
                               << "PC03" << info << "Information"
                               << "Message sent!" << true;
    QTest::newRow("address like an option") << "exit 0"
                                            << "-N" << info << "Information"
                                            << "Message sent!" << true;
    QTest::newRow("exit 1") << "exit 1"
                            << "PC03" << critical << "Error" << networkError << false;
    QTest::newRow("signal") << "signal"
                            << "PC03" << critical << "Error" << networkError << false;
    QTest::newRow("dropped by the receiver")
        << "dropped"
        << "PC03" << critical << "Error" << networkError << false;
    QTest::newRow("no smbclient on PATH") << "missing"
                                          << "PC03" << critical << "Error" << startError << false;
}

void TestKvollWindow::outcomes()
{
    QFETCH(QString, how);
    QFETCH(QString, address);
    QFETCH(int, icon);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(bool, delivered);
    if (how == "exit 1")
        m_smbclient->exitWith(1);
    else if (how == "signal")
        m_smbclient->killWith(9);
    else if (how == "dropped")
        m_smbclient->writeToStderr("cli_message returned NT_STATUS_ACCESS_DENIED");
    else if (how == "missing")
        m_smbclient->hide();

    writeHistory("PC01\nPC02\n");
    TfrmMain *w = openWindow();
    send(w, address, QStringLiteral("Hello"));

    QCOMPARE(m_boxes->boxes.size(), 1);
    const ShownBox box = m_boxes->boxes.first();
    QCOMPARE(int(box.icon), icon);
    QCOMPARE(box.title, title);
    QCOMPARE(box.text, text);
    QCOMPARE(box.buttonCount, 1);
    QCOMPARE(w->cboAddress->currentText(), address);
    if (delivered) {
        QCOMPARE(lastArguments(*m_smbclient), QStringList({unixCharsetOption, "-M", address}));
        QCOMPARE(comboItems(w->cboAddress), QStringList({"PC01", "PC02", address}));
        QCOMPARE(w->txtMessage->toPlainText(), QString());
    } else {
        QCOMPARE(comboItems(w->cboAddress), QStringList({"PC01", "PC02"}));
        QCOMPARE(w->txtMessage->toPlainText(), QStringLiteral("Hello"));
    }
}

void TestKvollWindow::knownAddressInOtherCaseAddsNothing()
{
    writeHistory("PC01\n");
    TfrmMain *w = openWindow();
    send(w, QStringLiteral("pc01"), QStringLiteral("Hi"));
    QCOMPARE(m_boxes->boxes.size(), 1);
    QCOMPARE(comboItems(w->cboAddress), QStringList({"PC01"}));
    w->close();
    QCOMPARE(historyBytes(), QByteArray("PC01\n"));
}

void TestKvollWindow::messageReachesSmbclientWithOneLineFeed_data()
{
    QTest::addColumn<QByteArray>("locale");
    QTest::addColumn<QString>("memo");
    QTest::addColumn<QByteArray>("input");
    for (const QByteArray locale : {"C.UTF-8", "C"}) {
        const auto row = [&locale](const char *name) {
            return &(QTest::addRow("%s, %s", name, locale.constData()) << locale);
        };
        *row("three lines") << "one\ntwo\nthree" << QByteArray("one\ntwo\nthree\n");
        *row("trailing line break dropped") << "one\n" << QByteArray("one\n");
        *row("spaces only") << "   " << QByteArray("   \n");
        *row("shell characters") << "\"$HOME\" `id` $(id) \\n '"
                                 << QByteArray("\"$HOME\" `id` $(id) \\n '\n");
        *row("no-break space kept") << QStringLiteral("a\u00a0b")
                                    << QByteArray("a\xff"
                                                  "b\n");
        // The code page, whatever the locale's character set.
        *row("cp850 letters") << "Grüße, Ærø"
                              << QByteArray("Gr\x81\xe1"
                                            "e, \x92r\x9b\n");
    }
}

void TestKvollWindow::messageReachesSmbclientWithOneLineFeed()
{
    QFETCH(QByteArray, locale);
    QFETCH(QString, memo);
    QFETCH(QByteArray, input);
    TfrmMain *w = openWindow();
    QVERIFY(std::setlocale(LC_ALL, locale.constData()));
    send(w, QStringLiteral("PC01"), memo);
    QCOMPARE(lastInput(*m_smbclient), input);
}

void TestKvollWindow::altSSends()
{
    TfrmMain *w = openWindow();
    w->cboAddress->setEditText(QStringLiteral("PC01"));
    w->txtMessage->setPlainText(QStringLiteral("Hi"));
    QTest::keyClick(w, Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(m_boxes->boxes.size(), 1);
    QCOMPARE(m_boxes->boxes.first().text, QStringLiteral("Message sent!"));
}

void TestKvollWindow::enterInTheAddressDoesNothing()
{
    writeHistory("PC01\n");
    TfrmMain *w = openWindow();
    w->txtMessage->setPlainText(QStringLiteral("Hi"));
    w->cboAddress->setFocus();
    w->cboAddress->setEditText(QString());
    QTest::keyClicks(w->cboAddress->lineEdit(), QStringLiteral("pc0"));
    QTest::keyClick(w->cboAddress->lineEdit(), Qt::Key_Return);
    QTest::keyClick(w->cboAddress->lineEdit(), Qt::Key_Enter);
    QTest::qWait(200);
    QVERIFY(m_boxes->boxes.isEmpty());
    QVERIFY(!m_smbclient->ran());
    QCOMPARE(comboItems(w->cboAddress), QStringList({"PC01"}));
    // Nothing was completed into the typed text.
    QCOMPARE(w->cboAddress->currentText(), QStringLiteral("pc0"));
}

void TestKvollWindow::enterInTheMessageStartsANewLine()
{
    TfrmMain *w = openWindow();
    w->txtMessage->setFocus();
    QTest::keyClicks(w->txtMessage, QStringLiteral("a"));
    QTest::keyClick(w->txtMessage, Qt::Key_Return);
    QTest::keyClicks(w->txtMessage, QStringLiteral("b"));
    QCOMPARE(w->txtMessage->toPlainText(), QStringLiteral("a\nb"));
    QVERIFY(m_boxes->boxes.isEmpty());
}

void TestKvollWindow::tooLongMessageIsNotSent_data()
{
    QTest::addColumn<QChar>("letter");
    QTest::newRow("ascii") << QChar(u'a');
    // One byte in the code page, two in UTF-8.
    QTest::newRow("e acute") << QChar(u'\u00e9');
}

void TestKvollWindow::tooLongMessageIsNotSent()
{
    QFETCH(QChar, letter);
    writeHistory("PC01\n");
    TfrmMain *w = openWindow();
    // 1,597 letters and the closing line feed (two bytes on the wire): 1,599.
    const QString memo(1597, letter);
    send(w, QStringLiteral("PC02"), memo);
    QCOMPARE(m_boxes->boxes.size(), 1);
    QCOMPARE(int(m_boxes->boxes.first().icon), int(QMessageBox::Critical));
    QCOMPARE(m_boxes->boxes.first().title, QStringLiteral("Error"));
    QCOMPARE(m_boxes->boxes.first().text, tooLongError);
    QVERIFY(!m_smbclient->ran());
    QCOMPARE(w->txtMessage->toPlainText(), memo);
    QCOMPARE(w->cboAddress->currentText(), QStringLiteral("PC02"));
    QCOMPARE(comboItems(w->cboAddress), QStringList({"PC01"}));

    // One letter fewer fits.
    m_boxes->boxes.clear();
    send(w, QStringLiteral("PC02"), QString(1596, letter));
    QCOMPARE(m_boxes->boxes.size(), 1);
    QCOMPARE(m_boxes->boxes.first().text, QStringLiteral("Message sent!"));
    QCOMPARE(lastInput(*m_smbclient).size(), 1597);
}

void TestKvollWindow::unrepresentableTextIsReported_data()
{
    QTest::addColumn<QByteArray>("locale");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("message");
    const QString nul(QChar(0));
    for (const QByteArray locale : {"C.UTF-8", "C"}) {
        const auto row = [&locale](const char *name) {
            return &(QTest::addRow("%s, %s", name, locale.constData()) << locale);
        };
        *row("euro") << "PC01"
                     << "Preis: 5 \u20ac";
        *row("cjk") << "PC01"
                    << "\u4f60\u597d\u4e16\u754c";
        *row("euro in the address") << "PC\u20ac"
                                    << "Hi";
        *row("nul in the message") << "PC01"
                                   << "Hi" + nul + "there";
        // Sent, it would reach 127.0.0.41 and enter the history whole.
        *row("nul in the address") << "127.0.0.41" + nul + "junk"
                                   << "Hi";
    }
}

void TestKvollWindow::unrepresentableTextIsReported()
{
    QFETCH(QByteArray, locale);
    QFETCH(QString, address);
    QFETCH(QString, message);
    writeHistory("PC01\n");
    TfrmMain *w = openWindow();
    QVERIFY(std::setlocale(LC_ALL, locale.constData()));
    w->cboAddress->setEditText(address);
    w->txtMessage->setPlainText(message);
    // Called directly, outside the event loop: the report is the handler's
    // own, not an exception that only the event loop would catch.
    w->cmdSendClick(w->cmdSend);

    QCOMPARE(m_boxes->boxes.size(), 1);
    QCOMPARE(int(m_boxes->boxes.first().icon), int(QMessageBox::Critical));
    QCOMPARE(m_boxes->boxes.first().text, QStringLiteral("Codeset conversion failure."));
    QCOMPARE(m_boxes->boxes.first().title, QString());
    QCOMPARE(m_boxes->boxes.first().buttonCount, 1);
    QVERIFY(!m_smbclient->ran());
    QCOMPARE(w->txtMessage->toPlainText(), message);
    QCOMPARE(w->cboAddress->currentText(), address);
    QCOMPARE(comboItems(w->cboAddress), QStringList({"PC01"}));
    // The program goes on: the next send works.
    send(w, QStringLiteral("PC01"), QStringLiteral("K\u00f6ln"));
    QCOMPARE(m_boxes->boxes.size(), 2);
    QCOMPARE(m_boxes->boxes.last().text, QStringLiteral("Message sent!"));
    QCOMPARE(lastInput(*m_smbclient), QByteArray("K\x94ln\n"));
    QVERIFY(w->close());
    QCOMPARE(historyBytes(), QByteArray("PC01\n"));
}

void TestKvollWindow::reportText_data()
{
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << "Codeset conversion failure"
                            << "Codeset conversion failure.";
    QTest::newRow("period") << "Done."
                            << "Done.";
    QTest::newRow("exclamation") << "Stop!"
                                 << "Stop!";
    QTest::newRow("parenthesis") << "failed (disk)"
                                 << "failed (disk)";
    QTest::newRow("digit") << "error 5"
                           << "error 5.";
    QTest::newRow("empty") << ""
                           << "";
}

void TestKvollWindow::reportText()
{
    QFETCH(QString, error);
    QFETCH(QString, shown);
    QCOMPARE(KvollApplication::reportText(error), shown);
}

void TestKvollWindow::closingSavesTheGrownHistory()
{
    writeHistory("PC01\r\nPC02\r\n");
    TfrmMain *w = openWindow();
    send(w, QStringLiteral("PC09"), QStringLiteral("one"));
    send(w, QStringLiteral("PC05"), QStringLiteral("two"));
    QCOMPARE(historyBytes(), QByteArray("PC01\r\nPC02\r\n")); // not before the close
    QVERIFY(w->close());
    QCOMPARE(historyBytes(), QByteArray("PC01\nPC02\nPC09\nPC05\n"));
}

void TestKvollWindow::closingWithoutADeliveryCreatesNoFile()
{
    m_smbclient->exitWith(1);
    TfrmMain *w = openWindow();
    send(w, QStringLiteral("PC01"), QStringLiteral("Hi"));
    QVERIFY(w->close());
    QVERIFY(!QFile::exists(m_home->filePath(".kvoll")));
}

void TestKvollWindow::unreadableHistoryIsNotReplaced()
{
    const QByteArray old("PC01\n\xff\xfe broken\n");
    writeHistory(old);
    TfrmMain *w = openWindow();
    QCOMPARE(w->cboAddress->count(), 0);
    send(w, QStringLiteral("PC02"), QStringLiteral("Hi"));
    QCOMPARE(comboItems(w->cboAddress), QStringList({"PC02"}));
    QVERIFY(w->close());
    QCOMPARE(historyBytes(), old);
}

int main(int argc, char **argv)
{
    KvollApplication app(argc, argv);
    TestKvollWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kvollwindow.moc"
