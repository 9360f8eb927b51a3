// Crier's windows as Qt draws them: each control wired to its handler.  The
// behaviour itself is tested on the forms, the windows' build from their
// tables by the toolkit contract.
#include "fakesystem.h"
#include "frmfile.h"
#include "frmmain.h"
#include "messageboxwatcher.h"
#include "qttoolkit.h"
#include "windowtables.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class TestCrierWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void addWithEnterAndButton();
    void pickAndRemove();
    void countBoxTakesDigits();
    void sendRunsAndConfirms();
    void saveWritesFiles();
    void saveKeepsBytesThroughTheWidgets();
    void countdownTicksEverySecond();

    void pickerOpensOnceAndConfirms();
    void pickerClosedLeavesField();

private:
    void open();
    template<class T>
    T *child(const char *name)
    {
        return m_window ? m_window->findChild<T *>(QString::fromLatin1(name)) : nullptr;
    }
    QWidget *picker();

    std::unique_ptr<QTemporaryDir> m_files;
    forms::qt::Toolkit m_toolkit;
    fakes::System m_system;
    std::unique_ptr<crier::FrmMain> m_form;
    QWidget *m_window = nullptr;
    std::unique_ptr<MessageBoxWatcher> m_boxes;
};

void TestCrierWindow::init()
{
    m_system = fakes::System();
    // A folder of its own for each case: a save must not reach the next one.
    m_files = std::make_unique<QTemporaryDir>();
    m_system.folder = m_files->path().toStdU16String();
    open();
}

// The window, loaded from the case's folder.
void TestCrierWindow::open()
{
    m_boxes = std::make_unique<MessageBoxWatcher>();
    m_form = std::make_unique<crier::FrmMain>(m_toolkit, m_system);
    m_window = forms::qt::widgetOf(m_form->view());
    QVERIFY(m_window);
    m_form->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
}

void TestCrierWindow::cleanup()
{
    m_form.reset();
    m_window = nullptr;
    m_boxes.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QWidget *TestCrierWindow::picker()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String("frmFile") && widget->isVisible())
            return widget;
    }
    return nullptr;
}

void TestCrierWindow::addWithEnterAndButton()
{
    auto *address = child<QLineEdit>("txtAddress");
    auto *book = child<QListWidget>("lstNetwork");
    QVERIFY(address && book);
    QTest::keyClicks(address, "PC1");
    QTest::keyClick(address, Qt::Key_Return);
    QTest::keyClicks(address, "PC2");
    QTest::mouseClick(child<QPushButton>("cmdAdd"), Qt::LeftButton);
    QCOMPARE(book->count(), 2);
    QCOMPARE(book->item(0)->text(), QStringLiteral("PC2"));
    QCOMPARE(book->item(1)->text(), QStringLiteral("PC1"));
    QVERIFY(address->text().isEmpty());
}

void TestCrierWindow::pickAndRemove()
{
    auto *address = child<QLineEdit>("txtAddress");
    auto *book = child<QListWidget>("lstNetwork");
    for (const char *name : {"C", "B", "A"}) {
        address->setText(QString::fromLatin1(name));
        QTest::keyClick(address, Qt::Key_Return);
    }
    QTest::mouseClick(
        book->viewport(), Qt::LeftButton, {}, book->visualItemRect(book->item(1)).center());
    QCOMPARE(address->text(), QStringLiteral("B"));
    QTest::mouseClick(child<QPushButton>("cmdRemove"), Qt::LeftButton);
    QCOMPARE(book->count(), 2);
    QCOMPARE(book->item(1)->text(), QStringLiteral("C"));
}

void TestCrierWindow::countBoxTakesDigits()
{
    auto *count = child<QLineEdit>("txtCount");
    QVERIFY(count);
    QTest::keyClick(count, Qt::Key_Backspace);
    QTest::keyClicks(count, "7a-. 5");
    QCOMPARE(count->text(), QStringLiteral("675"));
}

void TestCrierWindow::sendRunsAndConfirms()
{
    child<QLineEdit>("txtAddress")->setText(QStringLiteral("10.1.1.1-10.1.1.2"));
    QTest::mouseClick(child<QPushButton>("cmdAdd"), Qt::LeftButton);
    QTest::keyClicks(child<QPlainTextEdit>("txtMessage"), "Hello");
    m_system.refused = {u"10.1.1.2"};
    QStringList captions;
    m_system.duringSend
        = [&](const fakes::Send &) { captions.append(child<QPushButton>("cmdSend")->text()); };
    // "&Save settings" and "&Send" share their access key: Alt+S moves the
    // focus between the two without pressing either, as on Windows.
    QTest::keyClick(m_window, Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(QApplication::focusWidget(), child<QPushButton>("cmdSave"));
    QTest::keyClick(m_window, Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(QApplication::focusWidget(), child<QPushButton>("cmdSend"));
    QVERIFY(m_system.sends.empty());
    QVERIFY(!QFile::exists(m_files->filePath(QStringLiteral("ZK.INI"))));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTRY_COMPARE(m_boxes->boxes.size(), 1);
    QCOMPARE(m_boxes->boxes[0].title, QStringLiteral("Done"));
    QCOMPARE(m_boxes->boxes[0].text, QStringLiteral("The message was broadcasted!"));
    QCOMPARE(m_boxes->boxes[0].icon, QMessageBox::Information);
    QCOMPARE(captions, QStringList({"Sending...", "Sending..."}));
    auto *status = child<QListWidget>("lstStatus");
    QStringList lines;
    for (int i = 0; i < status->count(); ++i)
        lines.append(status->item(i)->text());
    QCOMPARE(lines, QStringList({"10.1.1.1 - OK", "10.1.1.2 - Failed", "", "Done."}));
    QVERIFY(child<QPushButton>("cmdSend")->isEnabled());
    QCOMPARE(child<QPushButton>("cmdSend")->text(), QStringLiteral("&Send"));
}

void TestCrierWindow::saveWritesFiles()
{
    child<QLineEdit>("txtAddress")->setText(QStringLiteral("PC1"));
    QTest::mouseClick(child<QPushButton>("cmdAdd"), Qt::LeftButton);
    child<QPlainTextEdit>("txtMessage")->setPlainText(QStringLiteral("two\nlines"));
    QTest::mouseClick(child<QCheckBox>("chkCount"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>("cmdSave"), Qt::LeftButton);
    QFile settings(m_files->filePath(QStringLiteral("ZK.INI")));
    QVERIFY(settings.open(QIODevice::ReadOnly));
    const QByteArray ini = settings.readAll();
    QVERIFY(ini.contains("0=PC1"));
    QVERIFY(ini.contains("Count=1"));
    QFile message(m_files->filePath(QStringLiteral("Message.txt")));
    QVERIFY(message.open(QIODevice::ReadOnly));
    QCOMPARE(message.readAll(), QByteArray("two\nlines"));
    QVERIFY(m_boxes->boxes.isEmpty());
}

// Bytes that are no UTF-8 reach the widgets as escapes (lone surrogates)
// and must come back from them unchanged, line breaks and all.
void TestCrierWindow::saveKeepsBytesThroughTheWidgets()
{
    const QByteArray settings = "[List]\r\n0=caf\xe9\r\n[Options]\r\nCount=0\r\nFile=x\xff\r\n";
    const QByteArray message = "Gr\xfc\xdf\x65\r\nzwei";
    const auto writeFile = [this](const char *name, const QByteArray &bytes) {
        QFile file(m_files->filePath(QString::fromLatin1(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    const auto readFile = [this](const char *name) {
        QFile file(m_files->filePath(QString::fromLatin1(name)));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    writeFile("ZK.INI", settings);
    writeFile("Message.txt", message);
    // Loaded again, from these files.
    cleanup();
    open();
    QCOMPARE(child<QListWidget>("lstNetwork")->count(), 1);

    QTest::mouseClick(child<QPushButton>("cmdSave"), Qt::LeftButton);
    QVERIFY(m_boxes->boxes.isEmpty());
    QCOMPARE(readFile("ZK.INI"), settings);
    QCOMPARE(readFile("Message.txt"), message);

    // Typed at the end of the message: the rest stays as it was.
    auto *text = child<QPlainTextEdit>("txtMessage");
    text->moveCursor(QTextCursor::End);
    QTest::keyClicks(text, QStringLiteral(" drei"));
    QTest::mouseClick(child<QPushButton>("cmdSave"), Qt::LeftButton);
    QVERIFY(m_boxes->boxes.isEmpty());
    QCOMPARE(readFile("ZK.INI"), settings);
    QCOMPARE(readFile("Message.txt"), message + " drei");
}

void TestCrierWindow::countdownTicksEverySecond()
{
    child<QLineEdit>("txtAddress")->setText(QStringLiteral("PC1"));
    QTest::mouseClick(child<QPushButton>("cmdAdd"), Qt::LeftButton);
    child<QPlainTextEdit>("txtMessage")->setPlainText(QStringLiteral("Hi"));
    child<QCheckBox>("chkCount")->click();
    child<QLineEdit>("txtCount")->setText(QStringLiteral("5"));
    QTest::mouseClick(child<QPushButton>("cmdSend"), Qt::LeftButton);
    QElapsedTimer clock;
    clock.start();
    QTRY_COMPARE_WITH_TIMEOUT(child<QLineEdit>("txtCount")->text(), QStringLiteral("4"), 3000);
    // A second, not the old 5 x 16.66 ms.
    QVERIFY2(clock.elapsed() >= 900, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(m_boxes->boxes.isEmpty());
}

void TestCrierWindow::pickerOpensOnceAndConfirms()
{
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("halt.sh")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(folder.path()));
    QTest::mouseClick(child<QPushButton>("cmdBrowse"), Qt::LeftButton);
    QDir::setCurrent(previous);
    QWidget *window = picker();
    QVERIFY(window);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QCOMPARE(window->windowTitle(), QStringLiteral("Select a file..."));
    QCOMPARE(window->size(), QSize(352, 409));
    QTest::mouseClick(child<QPushButton>("cmdBrowse"), Qt::LeftButton);
    int pickers = 0;
    for (QWidget *widget : QApplication::topLevelWidgets())
        pickers += widget->objectName() == QLatin1String("frmFile") && widget->isVisible();
    QCOMPARE(pickers, 1);

    auto *files = window->findChild<QListWidget *>(QStringLiteral("filFile"));
    QVERIFY(files);
    QCOMPARE(files->count(), 1);
    // A double click: the first click selects, the second opens.
    QTest::mouseClick(
        files->viewport(), Qt::LeftButton, {}, files->visualItemRect(files->item(0)).center());
    emit files->itemDoubleClicked(files->item(0));
    QCOMPARE(child<QLineEdit>("txtFile")->text(), folder.path() + QStringLiteral("/halt.sh"));
    QTRY_VERIFY(!picker());
}

void TestCrierWindow::pickerClosedLeavesField()
{
    child<QLineEdit>("txtFile")->setText(QStringLiteral("kept"));
    QTest::mouseClick(child<QPushButton>("cmdBrowse"), Qt::LeftButton);
    QWidget *window = picker();
    QVERIFY(window);
    window->close();
    QTRY_VERIFY(!picker());
    QCOMPARE(child<QLineEdit>("txtFile")->text(), QStringLiteral("kept"));
    QVERIFY(!m_form->filePicker());
}

QTEST_MAIN(TestCrierWindow)
#include "tst_crierwindow.moc"
