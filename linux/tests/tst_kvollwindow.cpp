#include "application.h"
#include "mainwindow.h"
#include "messagememo.h"
#include "messagetext.h"
#include "termination.h"

#include "comboitems.h"
#include "controlcharacters.h"
#include "faults.h"
#include "messageboxwatcher.h"
#include "qtfakesmbclient.h"

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QToolTip>

#include <clocale>
#include <csignal>
#include <memory>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString networkError = QStringLiteral(
    "Sending failed. Make sure the network is working and that you entered the correct address.");
const QString startError = QStringLiteral(
    "Sending failed. Make sure smbclient is in your path, or make a symbolic link to it.");
const QString tooLongError = QStringLiteral(
    "The message is too long to be delivered in one piece. Shorten it and send again.");
// The tests' smbclient configuration names no dos charset: CP850.
const QString unixCharsetOption = QStringLiteral("--option=unix charset=CP850");
const QString keptAfterLoad = QStringLiteral(
    " It was left as it was, and the addresses you send to now will not be saved.");
const QString keptAfterSave = QStringLiteral(
    " The file there was left as it was, without the addresses sent to in this session.");
const QString nothingSaved
    = QStringLiteral(" The addresses sent to in this session were not saved.");

const auto openToOthers
    = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther;

// What a path holds, for comparing before and after: a file's bytes, a
// link's text and what it leads to, or the kind of thing.
QString stateOf(const QString &path)
{
    struct stat st;
    const QByteArray name = QFile::encodeName(path);
    if (::lstat(name.constData(), &st) != 0)
        return QStringLiteral("nothing");
    if (S_ISLNK(st.st_mode))
        return QStringLiteral("link to ") + QFileInfo(path).symLinkTarget();
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("folder");
    if (S_ISFIFO(st.st_mode))
        return QStringLiteral("fifo");
    if (st.st_size > 1024 * 1024)
        return QStringLiteral("file of %1 bytes").arg(st.st_size);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("unreadable file");
    return QString::fromLatin1(file.readAll().toHex(' '));
}

} // namespace

class TestKvollWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void opensEmptyWithFocusInTheAddress();
    void addressFromTheCommandLine_data();
    void addressFromTheCommandLine();
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
    void historyThatCannotBeLoadedWholeIsKept_data();
    void historyThatCannotBeLoadedWholeIsKept();
    void loadWarningComesBeforeAnEarlyClose();
    void danglingLinkIsWrittenThrough();
    void failedSaveIsReported_data();
    void failedSaveIsReported();
    void hostileMessages_data();
    void hostileMessages();
    void memoHoldsAtMostItsCapacity_data();
    void memoHoldsAtMostItsCapacity();
    void terminationSignalClosesAndSaves_data();
    void terminationSignalClosesAndSaves();

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

void TestKvollWindow::addressFromTheCommandLine_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("a sender as smbd reduces it") << QStringLiteral("we_ird___id_");
    QTest::newRow("a name out of the history") << QStringLiteral("PC01");
    QTest::newRow("an address") << QStringLiteral("127.0.0.2");
    QTest::newRow("like an option") << QStringLiteral("-N");
}

void TestKvollWindow::addressFromTheCommandLine()
{
    QFETCH(QString, address);
    writeHistory("PC01\nPC02\n");
    m_window = std::make_unique<TfrmMain>();
    m_window->presetAddress(address);
    TfrmMain *w = m_window.get();
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));

    QCOMPARE(w->cboAddress->currentText(), address);
    QCOMPARE(comboItems(w->cboAddress), QStringList({"PC01", "PC02"}));
    // Nothing else changes: the focus starts in the address box.
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w->cboAddress));
    QCOMPARE(m_boxes->boxes.size(), 0);

    QTest::keyClicks(w->txtMessage, QStringLiteral("Thanks"));
    QTest::mouseClick(w->cmdSend, Qt::LeftButton);
    QCOMPARE(lastArguments(*m_smbclient), QStringList({unixCharsetOption, "-M", address}));
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

void TestKvollWindow::historyThatCannotBeLoadedWholeIsKept_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<bool>("asOrdinaryUser");

    const QString notAFile = QStringLiteral("is not an ordinary file.");
    QTest::newRow("holds a NUL") << "nul" << QStringList({"a"})
                                 << "holds a NUL byte; only the addresses before it are shown."
                                 << false;
    QTest::newRow("not the locale's encoding")
        << "bad bytes" << QStringList() << "is not valid UTF-8 text." << false;
    QTest::newRow("a FIFO") << "fifo" << QStringList() << notAFile << false;
    QTest::newRow("a link to /dev/zero") << "dev zero" << QStringList() << notAFile << false;
    QTest::newRow("a folder") << "folder" << QStringList() << notAFile << false;
    QTest::newRow("larger than 64 MiB")
        << "large" << QStringList() << "is larger than 64 MiB." << false;
    QTest::newRow("unreadable") << "unreadable" << QStringList()
                                << "could not be read: Permission denied." << true;
    QTest::newRow("a link into a folder that cannot be searched")
        << "private link" << QStringList() << "could not be read: Permission denied." << true;
}

void TestKvollWindow::historyThatCannotBeLoadedWholeIsKept()
{
    QFETCH(QString, kind);
    QFETCH(QStringList, shown);
    QFETCH(QString, warning);
    QFETCH(bool, asOrdinaryUser);

    // The home folder is open to the user, so that replacing the file would
    // succeed.
    QVERIFY(QFile::setPermissions(m_home->path(), openToOthers | QFile::WriteOther));
    const QString file = m_home->filePath(".kvoll");
    const QByteArray name = QFile::encodeName(file);
    QString locked;
    if (kind == "nul") {
        writeHistory(QByteArray("a\n\0\nb\n", 6));
    } else if (kind == "bad bytes") {
        writeHistory("PC01\n\xff\xfe broken\n");
    } else if (kind == "fifo") {
        QCOMPARE(::mkfifo(name.constData(), 0666), 0);
    } else if (kind == "dev zero") {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), file));
    } else if (kind == "folder") {
        QVERIFY(QDir().mkdir(file));
    } else if (kind == "large") {
        QFile big(file);
        QVERIFY(big.open(QIODevice::WriteOnly));
        QVERIFY(big.resize(qint64(64) * 1024 * 1024 + 1));
    } else if (kind == "unreadable") {
        writeHistory("PC01\n");
        QVERIFY(QFile::setPermissions(file, QFile::WriteOwner));
    } else if (kind == "private link") {
        locked = m_home->filePath("private");
        QVERIFY(QDir().mkdir(locked));
        QFile target(locked + "/history");
        QVERIFY(target.open(QIODevice::WriteOnly));
        target.write("PC01\n");
        target.close();
        QVERIFY(QFile::setPermissions(locked, {}));
        QVERIFY(QFile::link(locked + "/history", file));
    }
    const QString before = stateOf(file);

    QStringList items;
    const std::string cannotDrop = testsupport::runAs(asOrdinaryUser, [&] {
        // The warning takes the focus: no waiting for the window to be active.
        m_window = std::make_unique<TfrmMain>();
        m_window->show();
        QTRY_COMPARE(m_boxes->boxes.size(), 1);
        items = comboItems(m_window->cboAddress);
        // As a delivery adds it.
        m_window->cboAddress->addItem(QStringLiteral("PC02"));
        m_window->close();
    });
    if (!locked.isEmpty())
        QVERIFY(QFile::setPermissions(locked, openToOthers));
    if (!cannotDrop.empty())
        QSKIP(cannotDrop.c_str());

    // Told once, at the start; the close wrote nothing.
    QCOMPARE(m_boxes->boxes.size(), 1);
    QCOMPARE(items, shown);
    const ShownBox box = m_boxes->boxes.first();
    QCOMPARE(int(box.icon), int(QMessageBox::Warning));
    QCOMPARE(box.title, QStringLiteral("Warning"));
    QCOMPARE(box.text, "The address history " + file + ' ' + warning + keptAfterLoad);
    QCOMPARE(box.buttonCount, 1);
    QCOMPARE(stateOf(file), before);
    if (kind == "private link") {
        QFile target(locked + "/history");
        QVERIFY(target.open(QIODevice::ReadOnly));
        QCOMPARE(target.readAll(), QByteArray("PC01\n"));
    }
}

void TestKvollWindow::loadWarningComesBeforeAnEarlyClose()
{
    const QByteArray old("PC01\n\0PC02\n", 11);
    writeHistory(old);
    // Closed before the event loop ran: the warning still comes, at the close.
    m_window = std::make_unique<TfrmMain>();
    m_window->show();
    QVERIFY(m_window->close());
    QCOMPARE(m_boxes->boxes.size(), 1);
    QVERIFY(m_boxes->boxes.first().text.contains(QLatin1String("holds a NUL byte")));
    QCoreApplication::processEvents();
    QCOMPARE(m_boxes->boxes.size(), 1);
    QCOMPARE(historyBytes(), old);
}

void TestKvollWindow::danglingLinkIsWrittenThrough()
{
    QVERIFY(QDir().mkdir(m_home->filePath("dotfiles")));
    QCOMPARE(::symlink("dotfiles/kvoll-history",
                 QFile::encodeName(m_home->filePath(".kvoll")).constData()),
        0);
    TfrmMain *w = openWindow();
    send(w, QStringLiteral("PC02"), QStringLiteral("Hi"));
    QVERIFY(w->close());
    QCOMPARE(m_boxes->boxes.size(), 1); // "Message sent!"
    QVERIFY(QFileInfo(m_home->filePath(".kvoll")).isSymLink());
    QCOMPARE(historyBytes(), QByteArray("PC02\n"));
}

void TestKvollWindow::failedSaveIsReported_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("why");
    QTest::addColumn<bool>("hadFile");

    QTest::newRow("disk full") << "disk full"
                               << "No space left on device" << true;
    QTest::newRow("folder not writable") << "folder not writable"
                                         << "Permission denied" << true;
    QTest::newRow("folder missing") << "folder missing"
                                    << "No such file or directory" << false;
    QTest::newRow("a folder at the path") << "folder at the path"
                                          << "Is a directory" << false;
    QTest::newRow("an address the locale cannot hold")
        << "C locale"
        << "ANSI_X3.4-1968 cannot hold one of the addresses" << true;
}

void TestKvollWindow::failedSaveIsReported()
{
    QFETCH(QString, fault);
    QFETCH(QString, why);
    QFETCH(bool, hadFile);

    std::optional<testsupport::SmallDisk> disk;
    if (fault == "disk full") {
        disk.emplace(QFile::encodeName(m_home->path()).toStdString());
        if (!disk->problem().empty())
            QSKIP(disk->problem().c_str());
    }
    QString home = m_home->path();
    if (fault == "folder missing") {
        home = m_home->filePath("missing");
        qputenv("HOME", QFile::encodeName(home));
    }
    const QString file = home + "/.kvoll";
    if (hadFile)
        writeHistory("PC01\n");
    QVERIFY(QFile::setPermissions(m_home->path(), openToOthers));

    TfrmMain *w = openWindow();
    send(w, QStringLiteral("K\u00f6ln"), QStringLiteral("Hi"));
    QCOMPARE(m_boxes->boxes.size(), 1);
    QCOMPARE(m_boxes->boxes.first().text, QStringLiteral("Message sent!"));
    m_boxes->boxes.clear();

    bool asOrdinaryUser = false;
    if (fault == "disk full") {
        QVERIFY(disk->fill());
    } else if (fault == "folder not writable") {
        QVERIFY(QFile::setPermissions(
            home, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
        asOrdinaryUser = true;
    } else if (fault == "folder at the path") {
        QVERIFY(QDir().mkdir(file));
    } else if (fault == "C locale") {
        QVERIFY(std::setlocale(LC_ALL, "C"));
    }
    const QString before = stateOf(file);

    // The box comes while the window closes, before the program could end.
    const std::string cannotDrop = testsupport::runAs(asOrdinaryUser, [w] { w->close(); });
    QVERIFY(QFile::setPermissions(m_home->path(), openToOthers | QFile::WriteOwner));
    if (!cannotDrop.empty())
        QSKIP(cannotDrop.c_str());

    QCOMPARE(m_boxes->boxes.size(), 1);
    const ShownBox box = m_boxes->boxes.first();
    QCOMPARE(int(box.icon), int(QMessageBox::Warning));
    QCOMPARE(box.title, QStringLiteral("Warning"));
    QCOMPARE(box.text,
        "The address history could not be saved to " + file + ": " + why + '.'
            + (hadFile ? keptAfterSave : nothingSaved));
    QCOMPARE(stateOf(file), before);
    if (hadFile)
        QCOMPARE(historyBytes(), QByteArray("PC01\n"));
    m_window.reset();
    disk.reset();
}

void TestKvollWindow::hostileMessages_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<QByteArray>("input");

    QString c1;
    for (char16_t c = 0x80; c < 0xa0; ++c)
        c1 += QChar(c);

    // Lines of words: one unbroken line of a megabyte takes Qt minutes to lay out.
    QString megabyte;
    while (megabyte.size() < 1024 * 1024)
        megabyte += QStringLiteral("The quick brown fox jumps over the lazy dog.\n");
    QTest::newRow("1 MB") << megabyte << tooLongError << QByteArray();
    const ControlCharacters c0 = everyControlCharacter();
    QTest::newRow("every C0 control character")
        << c0.typed << QStringLiteral("Message sent!") << c0.sent;
    QTest::newRow("every C1 control character")
        << c1 << "Codeset conversion failure." << QByteArray();
}

void TestKvollWindow::hostileMessages()
{
    QFETCH(QString, message);
    QFETCH(QString, outcome);
    QFETCH(QByteArray, input);

    TfrmMain *w = openWindow();
    send(w, QStringLiteral("PC01"), message);
    QCOMPARE(m_boxes->boxes.size(), 1);
    QCOMPARE(m_boxes->boxes.first().text, outcome);
    QCOMPARE(m_smbclient->ran(), !input.isEmpty());
    if (!input.isEmpty())
        QCOMPARE(lastInput(*m_smbclient), input);
}

// Where the cursor stands before the input: a position, the end, or
// everything selected.
enum Cursor { AtEnd = -1, AllSelected = -2 };

void TestKvollWindow::memoHoldsAtMostItsCapacity_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("typed"); // "\n" stands for Enter
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("notice");

    const qsizetype cap = MessageMemo::Capacity;
    const QString full(cap, u'a');
    const QString cut = MessageMemo::cutNotice();
    const QString none;
    QTest::newRow("paste below the cap")
        << "" << int(AtEnd) << QString(cap - 1, u'a') << "" << QString(cap - 1, u'a') << none;
    QTest::newRow("paste at the cap") << "" << int(AtEnd) << full << "" << full << none;
    QTest::newRow("paste above the cap")
        << "" << int(AtEnd) << QString(cap + 1, u'a') << "" << full << cut;
    // Minutes of layout without the cap.
    QTest::newRow("paste of a 1 MB line")
        << "" << int(AtEnd) << QString(1024 * 1024, u'a') << "" << full << cut;
    QTest::newRow("paste into the middle")
        << "hello world" << 5 << QString(cap, u'b') << ""
        << QStringLiteral("hello") + QString(cap - 11, u'b') + QStringLiteral(" world") << cut;
    QTest::newRow("paste over a selection")
        << full << int(AllSelected) << QString(cap, u'b') << "" << QString(cap, u'b') << none;
    QTest::newRow("paste that would split a pair")
        << "" << int(AtEnd) << QString(cap - 1, u'a') + QStringLiteral("\U0001F600") << ""
        << QString(cap - 1, u'a') << cut;
    QTest::newRow("paste kept as it was") << "" << int(AtEnd) << QStringLiteral("x\u00a0y\tz\n\nw ")
                                          << "" << QStringLiteral("x\u00a0y\tz\n\nw ") << none;
    QTest::newRow("typing up to the cap") << QString(cap - 1, u'a') << int(AtEnd) << ""
                                          << "b" << QString(cap - 1, u'a') + u'b' << none;
    QTest::newRow("typing at the cap") << full << int(AtEnd) << ""
                                       << "b" << full << MessageMemo::fullNotice();
    QTest::newRow("Enter at the cap") << full << 3 << ""
                                      << "\n"
                                      << full << MessageMemo::fullNotice();
    QTest::newRow("typing over a selection at the cap") << full << int(AllSelected) << ""
                                                        << "b"
                                                        << "b" << none;
}

void TestKvollWindow::memoHoldsAtMostItsCapacity()
{
    QFETCH(QString, before);
    QFETCH(int, cursor);
    QFETCH(QString, pasted);
    QFETCH(QString, typed);
    QFETCH(QString, after);
    QFETCH(QString, notice);

    QToolTip::hideText();
    QTRY_VERIFY(!QToolTip::isVisible());
    TfrmMain *w = openWindow();
    QPlainTextEdit *memo = w->findChild<QPlainTextEdit *>(QStringLiteral("txtMessage"));
    QVERIFY(memo);
    memo->setPlainText(before);
    QTextCursor position = memo->textCursor();
    if (cursor == AllSelected)
        position.select(QTextCursor::Document);
    else
        position.setPosition(cursor == AtEnd ? int(before.size()) : cursor);
    memo->setTextCursor(position);
    memo->setFocus();

    if (!pasted.isEmpty()) {
        QGuiApplication::clipboard()->setText(pasted);
        QTest::keyClick(memo, Qt::Key_V, Qt::ControlModifier);
    }
    for (const QChar c : typed) {
        if (c == u'\n')
            QTest::keyClick(memo, Qt::Key_Return);
        else
            QTest::keyClicks(memo, QString(c));
    }

    // Exactly what the send reads.
    QCOMPARE(
        quillon::messageFromEditor(memo->document()->toRawText(), QStringLiteral("\n")), after);
    if (notice.isEmpty()) {
        QVERIFY(!QToolTip::isVisible());
    } else {
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), notice);
    }
}

void TestKvollWindow::terminationSignalClosesAndSaves_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

void TestKvollWindow::terminationSignalClosesAndSaves()
{
    QFETCH(int, signalNumber);
    writeHistory("PC01\n");
    TfrmMain *w = openWindow();
    auto *closer = new TerminationCloser(w);
    QVERIFY(closer->isActive());
    send(w, QStringLiteral("PC09"), QStringLiteral("Hi"));
    QCOMPARE(m_boxes->boxes.size(), 1);

    QCOMPARE(::raise(signalNumber), 0);
    QTRY_VERIFY(!w->isVisible());
    QCOMPARE(historyBytes(), QByteArray("PC01\nPC09\n"));
}

int main(int argc, char **argv)
{
    KvollApplication app(argc, argv);
    TestKvollWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kvollwindow.moc"
