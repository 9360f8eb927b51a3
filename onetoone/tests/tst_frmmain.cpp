#include "fakeplatform.h"
#include "frmmain.h"
#include "messageboxwatcher.h"
#include "qttoolkit.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QWindow>

#include <memory>

namespace {

// QTest::keyClicks() knows ASCII only; other characters go in as key events
// that carry just their text, as an input method delivers them.
void typeText(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(widget, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// The focus goes back to the window once the box has closed.  The offscreen
// platform does not re-activate a window when another one hides, so the
// test does what the window system does.
bool focusReturnsTo(QWidget *widget)
{
    QWidget *window = widget->window();
    if (window->focusWidget() != widget)
        return false;
    window->activateWindow();
    return QTest::qWaitFor([&] { return widget->hasFocus(); }, 2000);
}

} // namespace

class TestFrmMain : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startsWithoutSettingsFile();
    void layout();
    void presetFromSettingsFile_data();
    void presetFromSettingsFile();
    void settingsFileThroughFileExists();
    void unopenableSettingsFile();
    void settingsFileNotWritten();

    void enabling();
    void enablingCountsSpaces();
    void enablingByProgram();
    void enterInRecipientWithEmptyMessage();
    void enterInRecipientSends();
    void enterInMessageStartsNewLine();

    void successfulSend();
    void failedSend();
    void captionWhileSending();
    void errorCaptionUntilNextSend();
    void readOrder();
    void spacesTravelAsTyped();
    void multiLineMessage();
    void noBreakSpaceKept();
    void longRecipient();

    void tabOrder();
    void altSSends();
    void altSWhileDisabled();
    void keyboardOnFocusedButton_data();
    void keyboardOnFocusedButton();

private:
    QWidget *openWindow();
    void writeSettings(const QByteArray &bytes);
    template<typename T>
    T *child(const char *name)
    {
        T *widget = window ? window->findChild<T *>(QString::fromLatin1(name)) : nullptr;
        if (!widget)
            qWarning("no widget %s", name);
        return widget;
    }
    bool typeBoth(const QString &recipient, const QString &message);

    QTemporaryDir configHome;
    QString settingsPath;
    forms::qt::Toolkit toolkit;
    fakeplatform::System system;
    std::unique_ptr<quillpost::FrmMain> form;
    QWidget *window = nullptr;
    std::unique_ptr<MessageBoxWatcher> watcher;
};

void TestFrmMain::initTestCase()
{
    QVERIFY(configHome.isValid());
    // The settings folder follows these, so the window reads its file here.
    qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());
    qputenv("HOME", configHome.path().toLocal8Bit());
    QCoreApplication::setApplicationName(QStringLiteral("Quillpost"));
    // The folder is named after the running program file: this test's.
    const QString folder
        = configHome.path() + u'/' + QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    settingsPath = folder + QStringLiteral("/Quillpost.ini");
    QVERIFY(QDir().mkpath(folder));
}

void TestFrmMain::init()
{
    fakeplatform::reset();
    QFile::remove(settingsPath);
    watcher = std::make_unique<MessageBoxWatcher>();
}

void TestFrmMain::cleanup()
{
    form.reset();
    window = nullptr;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    watcher.reset();
    fakeplatform::reset();
    QFile::remove(settingsPath);
}

QWidget *TestFrmMain::openWindow()
{
    form = std::make_unique<quillpost::FrmMain>(toolkit, system);
    window = forms::qt::widgetOf(form->view());
    form->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window))
        qWarning("window did not become active");
    return window;
}

void TestFrmMain::writeSettings(const QByteArray &bytes)
{
    QFile file(settingsPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

bool TestFrmMain::typeBoth(const QString &recipient, const QString &message)
{
    auto *txtTo = child<QLineEdit>("txtTo");
    auto *txtMessage = child<QPlainTextEdit>("txtMessage");
    if (!txtTo || !txtMessage)
        return false;
    typeText(txtTo, recipient);
    typeText(txtMessage, message);
    // The raw text: toPlainText() would show a no-break space as a space.
    return txtTo->text() == recipient && txtMessage->document()->toRawText() == message;
}

void TestFrmMain::startsWithoutSettingsFile()
{
    openWindow();
    auto *txtTo = child<QLineEdit>("txtTo");
    auto *cmdSend = child<QPushButton>("cmdSend");
    QVERIFY(txtTo && cmdSend);
    QCOMPARE(txtTo->text(), QString());
    QVERIFY(!cmdSend->isEnabled());
    QTRY_VERIFY(txtTo->hasFocus());
    QCOMPARE(window->windowTitle(), QStringLiteral("Windows Quillon"));
    QTest::qWait(50);
    QVERIFY(watcher->boxes.isEmpty());
    QCOMPARE(fakeplatform::state().fileExistsPaths, QStringList {settingsPath});
}

void TestFrmMain::layout()
{
    openWindow();
    QCOMPARE(window->objectName(), QStringLiteral("frmMain"));
    QCOMPARE(window->size(), QSize(282, 305));
    QCOMPARE(window->minimumSize(), QSize(282, 305));
    QCOMPARE(window->maximumSize(), QSize(282, 305));
    const Qt::WindowFlags flags = window->windowFlags();
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(flags & Qt::WindowTitleHint);

    const struct
    {
        const char *name;
        QRect geometry;
    } expected[] = {
        {"lblTo", QRect(8, 8, 265, 17)},
        {"txtTo", QRect(8, 24, 265, 19)},
        {"lblMessage", QRect(8, 56, 265, 17)},
        {"txtMessage", QRect(8, 72, 265, 185)},
        {"cmdSend", QRect(8, 272, 265, 25)},
    };
    for (const auto &e : expected) {
        auto *widget = child<QWidget>(e.name);
        QVERIFY2(widget, e.name);
        QCOMPARE(widget->geometry(), e.geometry);
    }

    QCOMPARE(child<QLabel>("lblTo")->text(), QStringLiteral("To:"));
    QCOMPARE(child<QLabel>("lblMessage")->text(), QStringLiteral("Message:"));
    auto *cmdSend = child<QPushButton>("cmdSend");
    QCOMPARE(cmdSend->text(), QStringLiteral("&Send"));
    QVERIFY(!cmdSend->autoDefault());
    QVERIFY(!cmdSend->isDefault());

    auto *txtMessage = child<QPlainTextEdit>("txtMessage");
    QCOMPARE(txtMessage->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    QCOMPARE(txtMessage->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(txtMessage->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QVERIFY(txtMessage->tabChangesFocus());
    QVERIFY(!txtMessage->isReadOnly());
}

void TestFrmMain::presetFromSettingsFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("recipient");

    QTest::newRow("two fields") << QByteArray("PC12,PC13\r\n") << "PC12";
    QTest::newRow("quoted with comma")
        << QByteArray("\"PC 12, upstairs\"\r\n") << "PC 12, upstairs";
    QTest::newRow("single line") << QByteArray("OFFICE-PC") << "OFFICE-PC";
    QTest::newRow("blank lines first") << QByteArray("\r\n  \r\n  OFFICE-PC\r\n") << "OFFICE-PC";
    QTest::newRow("empty file") << QByteArray() << "";
    QTest::newRow("empty first field") << QByteArray(",PC13\r\n") << "";
}

void TestFrmMain::presetFromSettingsFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, recipient);
    writeSettings(bytes);
    openWindow();
    auto *txtTo = child<QLineEdit>("txtTo");
    auto *cmdSend = child<QPushButton>("cmdSend");
    QVERIFY(txtTo && cmdSend);
    QCOMPARE(txtTo->text(), recipient);
    QVERIFY(!cmdSend->isEnabled());
    QTRY_VERIFY(txtTo->hasFocus());
    QTest::qWait(50);
    QVERIFY(watcher->boxes.isEmpty());
    QVERIFY(fakeplatform::state().calls.empty());
}

void TestFrmMain::settingsFileThroughFileExists()
{
    // The file is there, but the platform says it is not: nothing is read.
    writeSettings("PC12\r\n");
    fakeplatform::state().fileExistsMode = fakeplatform::FileExistsMode::AlwaysFalse;
    openWindow();
    QCOMPARE(child<QLineEdit>("txtTo")->text(), QString());
    QCOMPARE(fakeplatform::state().fileExistsPaths, QStringList {settingsPath});
}

void TestFrmMain::unopenableSettingsFile()
{
    // A folder of that name passes the (faked) check but cannot be read.
    QVERIFY(QDir().mkpath(settingsPath));
    fakeplatform::state().fileExistsMode = fakeplatform::FileExistsMode::AlwaysTrue;
    openWindow();
    QVERIFY(QDir().rmdir(settingsPath));
    QCOMPARE(child<QLineEdit>("txtTo")->text(), QString());
    QTest::qWait(50);
    QVERIFY(watcher->boxes.isEmpty());
}

void TestFrmMain::settingsFileNotWritten()
{
    const QByteArray bytes("PC12,PC13\r\n");
    writeSettings(bytes);
    openWindow();
    QTest::keyClicks(child<QPlainTextEdit>("txtMessage"), QStringLiteral("hello"));
    QTest::mouseClick(child<QPushButton>("cmdSend"), Qt::LeftButton);
    QCOMPARE(watcher->boxes.size(), 1);
    window->close();
    form.reset();
    QFile file(settingsPath);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), bytes);
}

void TestFrmMain::enabling()
{
    openWindow();
    auto *txtTo = child<QLineEdit>("txtTo");
    auto *txtMessage = child<QPlainTextEdit>("txtMessage");
    auto *cmdSend = child<QPushButton>("cmdSend");
    QVERIFY(txtTo && txtMessage && cmdSend);

    QTest::keyClicks(txtTo, QStringLiteral("P"));
    QVERIFY(!cmdSend->isEnabled());
    QTest::keyClicks(txtMessage, QStringLiteral("h"));
    QVERIFY(cmdSend->isEnabled());
    QTest::keyClick(txtTo, Qt::Key_Backspace);
    QVERIFY(!cmdSend->isEnabled());
    QTest::keyClicks(txtTo, QStringLiteral("Q"));
    QVERIFY(cmdSend->isEnabled());
    QTest::keyClick(txtMessage, Qt::Key_Backspace);
    QVERIFY(!cmdSend->isEnabled());
}

void TestFrmMain::enablingCountsSpaces()
{
    openWindow();
    auto *cmdSend = child<QPushButton>("cmdSend");
    QVERIFY(cmdSend);
    QTest::keyClicks(child<QLineEdit>("txtTo"), QStringLiteral(" "));
    QVERIFY(!cmdSend->isEnabled());
    QTest::keyClicks(child<QPlainTextEdit>("txtMessage"), QStringLiteral(" "));
    QVERIFY(cmdSend->isEnabled());
}

void TestFrmMain::enablingByProgram()
{
    openWindow();
    auto *cmdSend = child<QPushButton>("cmdSend");
    QVERIFY(cmdSend);
    child<QPlainTextEdit>("txtMessage")->setPlainText(QStringLiteral("hello"));
    QVERIFY(!cmdSend->isEnabled());
    child<QLineEdit>("txtTo")->setText(QStringLiteral("PC12"));
    QVERIFY(cmdSend->isEnabled());
    child<QPlainTextEdit>("txtMessage")->clear();
    QVERIFY(!cmdSend->isEnabled());
}

void TestFrmMain::enterInRecipientWithEmptyMessage()
{
    openWindow();
    auto *txtTo = child<QLineEdit>("txtTo");
    QVERIFY(txtTo);
    QTest::keyClicks(txtTo, QStringLiteral("PC12"));
    // The key still reaches the box itself.
    QSignalSpy returnPressed(txtTo, &QLineEdit::returnPressed);
    QTest::keyClick(txtTo, Qt::Key_Return);
    QTest::keyClick(txtTo, Qt::Key_Enter);
    QCOMPARE(returnPressed.count(), 2);
    QTest::qWait(100);
    QVERIFY(watcher->boxes.isEmpty());
    QVERIFY(fakeplatform::state().calls.empty());
    QCOMPARE(fakeplatform::state().computerNameCalls, 0);
    QCOMPARE(window->windowTitle(), QStringLiteral("Windows Quillon"));
    QCOMPARE(txtTo->text(), QStringLiteral("PC12"));
    QVERIFY(txtTo->hasFocus());
}

void TestFrmMain::enterInRecipientSends()
{
    openWindow();
    QVERIFY(typeBoth(QStringLiteral("PC12"), QStringLiteral("hello")));
    QTest::keyClick(child<QLineEdit>("txtTo"), Qt::Key_Return);
    QCOMPARE(watcher->boxes.size(), 1);
    QCOMPARE(fakeplatform::state().calls.size(), std::size_t(1));
    QCOMPARE(fakeplatform::state().calls[0].toUser, QStringLiteral("PC12"));

    // The keypad's Enter counts the same.
    QTest::keyClicks(child<QPlainTextEdit>("txtMessage"), QStringLiteral("again"));
    QTest::keyClick(child<QLineEdit>("txtTo"), Qt::Key_Enter);
    QCOMPARE(watcher->boxes.size(), 2);
    QCOMPARE(fakeplatform::state().calls.size(), std::size_t(2));
    QCOMPARE(fakeplatform::state().calls[1].message, QStringLiteral("again"));
}

void TestFrmMain::enterInMessageStartsNewLine()
{
    openWindow();
    QVERIFY(typeBoth(QStringLiteral("PC12"), QStringLiteral("one")));
    auto *txtMessage = child<QPlainTextEdit>("txtMessage");
    QTest::keyClick(txtMessage, Qt::Key_Return);
    QTest::keyClicks(txtMessage, QStringLiteral("two"));
    QTest::qWait(100);
    QCOMPARE(txtMessage->toPlainText(), QStringLiteral("one\ntwo"));
    QVERIFY(watcher->boxes.isEmpty());
    QVERIFY(fakeplatform::state().calls.empty());
}

void TestFrmMain::successfulSend()
{
    fakeplatform::state().computerName = QStringLiteral("MY-COMPUTER");
    openWindow();
    QVERIFY(typeBoth(QStringLiteral("PC12"), QStringLiteral("Lunch at noon?")));
    auto *cmdSend = child<QPushButton>("cmdSend");
    QTest::mouseClick(cmdSend, Qt::LeftButton);
    QTest::qWait(50);

    QCOMPARE(watcher->boxes.size(), 1);
    const ShownBox box = watcher->boxes.first();
    QCOMPARE(box.text, QStringLiteral("Message sent!"));
    QCOMPARE(box.title, QStringLiteral("Success"));
    QCOMPARE(box.icon, QMessageBox::Information);
    QCOMPARE(box.standardButtons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(box.buttonCount, 1);
    // The caption is back before the box; the message is cleared after it.
    QCOMPARE(box.ownerCaption, QStringLiteral("Windows Quillon"));
    QCOMPARE(box.ownerMessage, QStringLiteral("Lunch at noon?"));

    QCOMPARE(fakeplatform::state().calls.size(), std::size_t(1));
    const auto &call = fakeplatform::state().calls[0];
    QCOMPARE(call.toUser, QStringLiteral("PC12"));
    QCOMPARE(call.fromUser, QStringLiteral("MY-COMPUTER"));
    QCOMPARE(call.message, QStringLiteral("Lunch at noon?"));

    auto *txtMessage = child<QPlainTextEdit>("txtMessage");
    QCOMPARE(txtMessage->toPlainText(), QString());
    QVERIFY(!cmdSend->isEnabled());
    QCOMPARE(child<QLineEdit>("txtTo")->text(), QStringLiteral("PC12"));
    QVERIFY(focusReturnsTo(txtMessage));
    QCOMPARE(window->windowTitle(), QStringLiteral("Windows Quillon"));
}

void TestFrmMain::failedSend()
{
    fakeplatform::state().broadcastResult = false;
    openWindow();
    QVERIFY(typeBoth(QStringLiteral("NOBODY"), QStringLiteral("Are you there?")));
    auto *cmdSend = child<QPushButton>("cmdSend");
    QTest::mouseClick(cmdSend, Qt::LeftButton);
    QTest::qWait(50);

    QCOMPARE(watcher->boxes.size(), 1);
    const ShownBox box = watcher->boxes.first();
    QCOMPARE(box.text, QStringLiteral("Failed to send the message!"));
    QCOMPARE(box.title, QStringLiteral("Error"));
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(box.standardButtons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(box.buttonCount, 1);
    QCOMPARE(box.ownerCaption, QStringLiteral("Error"));

    QCOMPARE(fakeplatform::state().calls.size(), std::size_t(1));
    auto *txtMessage = child<QPlainTextEdit>("txtMessage");
    QCOMPARE(txtMessage->toPlainText(), QStringLiteral("Are you there?"));
    QCOMPARE(child<QLineEdit>("txtTo")->text(), QStringLiteral("NOBODY"));
    QVERIFY(cmdSend->isEnabled());
    QVERIFY(focusReturnsTo(txtMessage));
    QCOMPARE(window->windowTitle(), QStringLiteral("Error"));
}

void TestFrmMain::captionWhileSending()
{
    openWindow();
    QStringList captions;
    QStringList shownCaptions;
    fakeplatform::state().onBroadcast = [&] {
        captions << window->windowTitle();
        shownCaptions << window->windowHandle()->title();
    };
    QVERIFY(typeBoth(QStringLiteral("PC12"), QStringLiteral("hello")));
    QTest::mouseClick(child<QPushButton>("cmdSend"), Qt::LeftButton);
    QCOMPARE(captions, QStringList {QStringLiteral("Sending...")});
    QCOMPARE(shownCaptions, QStringList {QStringLiteral("Sending...")});
    QCOMPARE(window->windowTitle(), QStringLiteral("Windows Quillon"));
}

void TestFrmMain::errorCaptionUntilNextSend()
{
    fakeplatform::state().broadcastResult = false;
    openWindow();
    QVERIFY(typeBoth(QStringLiteral("PC12"), QStringLiteral("hello")));
    auto *cmdSend = child<QPushButton>("cmdSend");
    QTest::mouseClick(cmdSend, Qt::LeftButton);
    QCOMPARE(window->windowTitle(), QStringLiteral("Error"));

    // Typing does not end the Failed state; the next send does.
    QTest::keyClicks(child<QPlainTextEdit>("txtMessage"), QStringLiteral("!"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Error"));
    QString captionAtCall;
    fakeplatform::state().onBroadcast = [&] { captionAtCall = window->windowTitle(); };
    fakeplatform::state().broadcastResult = true;
    QTest::mouseClick(cmdSend, Qt::LeftButton);
    QCOMPARE(captionAtCall, QStringLiteral("Sending..."));
    QCOMPARE(window->windowTitle(), QStringLiteral("Windows Quillon"));
    QCOMPARE(watcher->boxes.size(), 2);
    QCOMPARE(fakeplatform::state().calls[1].message, QStringLiteral("hello!"));
}

void TestFrmMain::readOrder()
{
    // The recipient is read before the computer name, the message after it.
    openWindow();
    QVERIFY(typeBoth(QStringLiteral("FIRST-PC"), QStringLiteral("first message")));
    fakeplatform::state().onComputerName = [&] {
        child<QLineEdit>("txtTo")->setText(QStringLiteral("LATER-PC"));
        child<QPlainTextEdit>("txtMessage")->setPlainText(QStringLiteral("later message"));
    };
    QTest::mouseClick(child<QPushButton>("cmdSend"), Qt::LeftButton);
    QCOMPARE(fakeplatform::state().calls.size(), std::size_t(1));
    QCOMPARE(fakeplatform::state().calls[0].toUser, QStringLiteral("FIRST-PC"));
    QCOMPARE(fakeplatform::state().calls[0].message, QStringLiteral("later message"));
}

void TestFrmMain::spacesTravelAsTyped()
{
    openWindow();
    QVERIFY(typeBoth(QStringLiteral("   "), QStringLiteral("  ")));
    auto *cmdSend = child<QPushButton>("cmdSend");
    QVERIFY(cmdSend->isEnabled());
    QTest::mouseClick(cmdSend, Qt::LeftButton);
    QCOMPARE(fakeplatform::state().calls.size(), std::size_t(1));
    QCOMPARE(fakeplatform::state().calls[0].toUser, QStringLiteral("   "));
    QCOMPARE(fakeplatform::state().calls[0].message, QStringLiteral("  "));
}

void TestFrmMain::multiLineMessage()
{
    openWindow();
    auto *txtMessage = child<QPlainTextEdit>("txtMessage");
    QTest::keyClicks(child<QLineEdit>("txtTo"), QStringLiteral("PC12"));
    QTest::keyClicks(txtMessage, QStringLiteral("line one"));
    QTest::keyClick(txtMessage, Qt::Key_Return);
    QTest::keyClick(txtMessage, Qt::Key_Return);
    QTest::keyClicks(txtMessage, QStringLiteral("line three "));
    QTest::keyClick(txtMessage, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(txtMessage, QStringLiteral("four"));
    QTest::mouseClick(child<QPushButton>("cmdSend"), Qt::LeftButton);
    QCOMPARE(fakeplatform::state().calls.size(), std::size_t(1));
#ifdef Q_OS_WIN
    const QString expected = QStringLiteral("line one\r\n\r\nline three \r\nfour");
#else
    const QString expected = QStringLiteral("line one\n\nline three \nfour");
#endif
    QCOMPARE(fakeplatform::state().calls[0].message, expected);
}

void TestFrmMain::noBreakSpaceKept()
{
    openWindow();
    const QString message = QStringLiteral("50\u00a0%, \u00c4rger \u20ac");
    QVERIFY(typeBoth(QStringLiteral("J\u00d6RG"), message));
    QTest::mouseClick(child<QPushButton>("cmdSend"), Qt::LeftButton);
    QCOMPARE(fakeplatform::state().calls.size(), std::size_t(1));
    QCOMPARE(fakeplatform::state().calls[0].toUser, QStringLiteral("J\u00d6RG"));
    QCOMPARE(fakeplatform::state().calls[0].message, message);
}

void TestFrmMain::longRecipient()
{
    // Neither box has a length limit of its own.
    const QString recipient(40000, u'x');
    writeSettings(recipient.toLatin1());
    openWindow();
    auto *txtTo = child<QLineEdit>("txtTo");
    QCOMPARE(txtTo->text().size(), recipient.size());
    QTest::keyClicks(txtTo, QStringLiteral("y"));
    QCOMPARE(txtTo->text(), recipient + u'y');
}

void TestFrmMain::tabOrder()
{
    openWindow();
    auto *txtTo = child<QLineEdit>("txtTo");
    auto *txtMessage = child<QPlainTextEdit>("txtMessage");
    auto *cmdSend = child<QPushButton>("cmdSend");
    QVERIFY(txtTo && txtMessage && cmdSend);
    QTRY_VERIFY(txtTo->hasFocus());

    // With Send disabled, Tab passes it by.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTRY_VERIFY(txtMessage->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTRY_VERIFY(txtTo->hasFocus());

    QVERIFY(typeBoth(QStringLiteral("PC12"), QStringLiteral("hello")));
    txtTo->setFocus();
    QTRY_VERIFY(txtTo->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTRY_VERIFY(txtMessage->hasFocus());
    QCOMPARE(txtMessage->toPlainText(), QStringLiteral("hello"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTRY_VERIFY(cmdSend->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTRY_VERIFY(txtTo->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QTRY_VERIFY(cmdSend->hasFocus());
    QVERIFY(watcher->boxes.isEmpty());
}

void TestFrmMain::altSSends()
{
    openWindow();
    QVERIFY(typeBoth(QStringLiteral("PC12"), QStringLiteral("hello")));
    auto *txtMessage = child<QPlainTextEdit>("txtMessage");
    QTest::keyClick(txtMessage, Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(watcher->boxes.size(), 1);
    QCOMPARE(watcher->boxes.first().text, QStringLiteral("Message sent!"));
    QCOMPARE(fakeplatform::state().calls.size(), std::size_t(1));
    QCOMPARE(fakeplatform::state().calls[0].message, QStringLiteral("hello"));
    QTRY_COMPARE(txtMessage->toPlainText(), QString());
    // The mnemonic is not typed into the box.
    QCOMPARE(child<QLineEdit>("txtTo")->text(), QStringLiteral("PC12"));
}

void TestFrmMain::altSWhileDisabled()
{
    openWindow();
    QTest::keyClicks(child<QLineEdit>("txtTo"), QStringLiteral("PC12"));
    QTest::keyClick(child<QLineEdit>("txtTo"), Qt::Key_S, Qt::AltModifier);
    QTest::qWait(300);
    QVERIFY(watcher->boxes.isEmpty());
    QVERIFY(fakeplatform::state().calls.empty());
}

void TestFrmMain::keyboardOnFocusedButton_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("space") << int(Qt::Key_Space);
    QTest::newRow("return") << int(Qt::Key_Return);
    QTest::newRow("enter") << int(Qt::Key_Enter);
}

void TestFrmMain::keyboardOnFocusedButton()
{
    QFETCH(int, key);
    openWindow();
    QVERIFY(typeBoth(QStringLiteral("PC12"), QStringLiteral("hello")));
    auto *cmdSend = child<QPushButton>("cmdSend");
    cmdSend->setFocus();
    QTRY_VERIFY(cmdSend->hasFocus());
    QTest::keyClick(cmdSend, Qt::Key(key));
    QTRY_COMPARE(watcher->boxes.size(), 1);
    QTest::qWait(50);
    QCOMPARE(watcher->boxes.size(), 1);
    QCOMPARE(fakeplatform::state().calls.size(), std::size_t(1));
}

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
