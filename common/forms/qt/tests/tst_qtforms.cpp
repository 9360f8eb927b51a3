// The Qt adapters and the window builder: each control kind keeps its
// contract over its widget, and a window is built as its table says.
#include "messageboxwatcher.h"
#include "qtcontrols.h"
#include "qttoolkit.h"
#include "samplewindows.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace forms;

namespace {

using samplewindows::picker;
using samplewindows::sample;
using samplewindows::sampleControls;

template<class T>
T *child(QWidget *window, const char *name)
{
    return window ? window->findChild<T *>(QString::fromLatin1(name)) : nullptr;
}

} // namespace

class TestQtForms : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void windowFromTable();
    void controlsFromTable_data();
    void controlsFromTable();
    void tabOrderFollowsTabIndex();
    void initialFocus();

    void textBoxChangeEvents();
    void keyFilter_data();
    void keyFilter();
    void enterReachesForm();
    void textBoxLimit();
    void multiLineTabMovesOn();
    void multiLineKeepsTextAsTyped();

    void listProgramChangesAreQuiet();
    void listUserPickFiresClick();
    void listHasNoCurrentFromFocusAlone();
    void listExtendedSelection();

    void checkBoxStates();
    void buttonClickAndState();
    void timerTicks();
    void messageBoxes_data();
    void messageBoxes();
    void closeMayDestroyView();

    void folderListOpensAndRefuses();
    void fileListShowsOrdinaryFiles();
    void listsStartAtCurrentFolder();

private:
    qt::Toolkit m_toolkit;
    std::unique_ptr<View> m_view;
    QWidget *m_window = nullptr;
};

void TestQtForms::init()
{
    m_view = m_toolkit.build(sample);
    m_window = qt::widgetOf(*m_view);
    QVERIFY(m_window);
}

void TestQtForms::cleanup()
{
    m_view.reset();
    // The window goes with deleteLater.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestQtForms::windowFromTable()
{
    QCOMPARE(m_window->objectName(), QStringLiteral("frmSample"));
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Sample window"));
    QCOMPARE(m_window->size(), QSize(300, 200));
    QCOMPARE(m_window->minimumSize(), QSize(300, 200));
    QCOMPARE(m_window->maximumSize(), QSize(300, 200));
    const Qt::WindowFlags flags = m_window->windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    m_view->setCaption(u"Other");
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Other"));
    QCOMPARE(m_view->caption(), Text(u"Other"));
}

void TestQtForms::controlsFromTable_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("tooltip");
    for (const ControlSpec &row : sampleControls) {
        if (row.kind == Kind::Timer)
            continue;
        QTest::newRow(row.name) << QString::fromLatin1(row.name)
                                << QRect(row.left, row.top, row.width, row.height)
                                << (row.tooltip ? QString::fromStdU16String(row.tooltip)
                                                : QString());
    }
}

void TestQtForms::controlsFromTable()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, tooltip);
    auto *widget = m_window->findChild<QWidget *>(name);
    QVERIFY2(widget, qPrintable(name));
    QCOMPARE(widget->geometry(), geometry);
    QCOMPARE(widget->toolTip(), tooltip);
    QVERIFY(m_view->find(name.toLatin1().constData()));
}

void TestQtForms::tabOrderFollowsTabIndex()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    QStringList order;
    QWidget *widget = child<QListWidget>(m_window, "lstItems");
    QVERIFY(widget);
    for (int i = 0; i < 6; ++i) {
        order.append(widget->objectName());
        widget = widget->nextInFocusChain();
        while (widget->focusPolicy() == Qt::NoFocus || !widget->isVisible()
            || widget->objectName().isEmpty())
            widget = widget->nextInFocusChain();
    }
    QCOMPARE(
        order, QStringList({"lstItems", "txtName", "txtNotes", "cmdGo", "chkFlag", "lstMenu"}));
    QCOMPARE(child<QLabel>(m_window, "lblName")->focusPolicy(), Qt::NoFocus);
    QVERIFY(child<QListWidget>(m_window, "lstHidden")->isHidden());
}

void TestQtForms::initialFocus()
{
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    QCOMPARE(QApplication::focusWidget(), child<QListWidget>(m_window, "lstItems"));
}

void TestQtForms::textBoxChangeEvents()
{
    auto &box = m_view->get<TextBox>("txtName");
    QCOMPARE(box.text(), Text(u"start"));
    int changes = 0;
    box.onChange = [&] { ++changes; };
    box.setText(u"by program");
    QCOMPARE(changes, 1);
    auto *edit = child<QLineEdit>(m_window, "txtName");
    edit->clear();
    QTest::keyClicks(edit, "ab");
    QCOMPARE(changes, 4);
    QCOMPARE(box.text(), Text(u"ab"));
}

void TestQtForms::keyFilter_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("kept") << "abc"
                          << "abc";
    QTest::newRow("dropped") << "a-b"
                             << "ab";
    QTest::newRow("replaced") << "x1"
                              << "yy";
}

void TestQtForms::keyFilter()
{
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    auto &box = m_view->get<TextBox>("txtNotes");
    box.onKeyPress = [](int key) {
        return key == '-' ? 0 : key == '1' ? 'y' : key == 'x' ? 'y' : key;
    };
    auto *edit = child<QPlainTextEdit>(m_window, "txtNotes");
    QTest::keyClicks(edit, typed);
    QCOMPARE(edit->toPlainText(), expected);
}

void TestQtForms::enterReachesForm()
{
    auto &box = m_view->get<TextBox>("txtName");
    QList<int> keys;
    box.onKeyPress = [&](int key) {
        keys.append(key);
        return key;
    };
    auto *edit = child<QLineEdit>(m_window, "txtName");
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Enter);
    QCOMPARE(keys, QList<int>({13, 13}));
    QCOMPARE(edit->text(), QStringLiteral("start"));
}

void TestQtForms::textBoxLimit()
{
    auto *edit = child<QLineEdit>(m_window, "txtName");
    edit->clear();
    QTest::keyClicks(edit, "abcdefgh");
    QCOMPARE(edit->text(), QStringLiteral("abcde"));
}

void TestQtForms::multiLineTabMovesOn()
{
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    auto *edit = child<QPlainTextEdit>(m_window, "txtNotes");
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), child<QPushButton>(m_window, "cmdGo"));
    QVERIFY(edit->toPlainText().isEmpty());
}

void TestQtForms::multiLineKeepsTextAsTyped()
{
    auto &box = m_view->get<TextBox>("txtNotes");
    const Text text = u"one\u00a0two\nthree";
    box.setText(text);
    QCOMPARE(box.text(), text);
}

void TestQtForms::listProgramChangesAreQuiet()
{
    auto &list = m_view->get<ListBox>("lstItems");
    int clicks = 0;
    list.onClick = [&] { ++clicks; };
    list.addItem(u"a");
    list.addItem(u"c");
    list.insertItem(1, u"b");
    QCOMPARE(list.count(), 3);
    QCOMPARE(list.item(1), Text(u"b"));
    child<QListWidget>(m_window, "lstItems")->item(2)->setSelected(true);
    clicks = 0;
    list.removeItem(2);
    list.clear();
    QCOMPARE(clicks, 0);
    QCOMPARE(list.count(), 0);
}

void TestQtForms::listUserPickFiresClick()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    auto &list = m_view->get<ListBox>("lstItems");
    for (const char16_t *entry : {u"a", u"b", u"c"})
        list.addItem(entry);
    QList<int> seen;
    list.onClick = [&] { seen.append(list.currentIndex()); };
    auto *widget = child<QListWidget>(m_window, "lstItems");
    QTest::mouseClick(
        widget->viewport(), Qt::LeftButton, {}, widget->visualItemRect(widget->item(1)).center());
    QVERIFY(!seen.isEmpty());
    QCOMPARE(seen.last(), 1);
    widget->setFocus();
    QTest::keyClick(widget, Qt::Key_Down);
    QCOMPARE(seen.last(), 2);
    QVERIFY(list.isSelected(2));
    QVERIFY(!list.isSelected(1));
}

void TestQtForms::listHasNoCurrentFromFocusAlone()
{
    auto &list = m_view->get<ListBox>("lstItems");
    list.addItem(u"a");
    list.addItem(u"b");
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    QCOMPARE(QApplication::focusWidget(), child<QListWidget>(m_window, "lstItems"));
    QCOMPARE(list.currentIndex(), -1);
}

void TestQtForms::listExtendedSelection()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    auto &list = m_view->get<ListBox>("lstItems");
    for (const char16_t *entry : {u"a", u"b", u"c", u"d"})
        list.addItem(entry);
    auto *widget = child<QListWidget>(m_window, "lstItems");
    const auto at = [&](int row) { return widget->visualItemRect(widget->item(row)).center(); };
    QTest::mouseClick(widget->viewport(), Qt::LeftButton, {}, at(0));
    QTest::mouseClick(widget->viewport(), Qt::LeftButton, Qt::ControlModifier, at(2));
    QTest::mouseClick(widget->viewport(), Qt::LeftButton, Qt::ControlModifier, at(0));
    QVERIFY(!list.isSelected(0));
    QVERIFY(list.isSelected(2));
    QCOMPARE(list.currentIndex(), 0);
}

void TestQtForms::checkBoxStates()
{
    auto &check = m_view->get<CheckBox>("chkFlag");
    auto *widget = child<QCheckBox>(m_window, "chkFlag");
    QCOMPARE(check.state(), CheckBox::Unchecked);
    check.setState(CheckBox::Grayed);
    QCOMPARE(widget->checkState(), Qt::PartiallyChecked);
    QCOMPARE(check.state(), CheckBox::Grayed);
    QList<CheckBox::State> clicked;
    for (int i = 0; i < 4; ++i) {
        widget->click();
        clicked.append(check.state());
    }
    QCOMPARE(clicked,
        QList<CheckBox::State>(
            {CheckBox::Checked, CheckBox::Unchecked, CheckBox::Checked, CheckBox::Unchecked}));
}

void TestQtForms::buttonClickAndState()
{
    auto &button = m_view->get<Button>("cmdGo");
    auto *widget = child<QPushButton>(m_window, "cmdGo");
    int clicks = 0;
    button.onClick = [&] { ++clicks; };
    QTest::mouseClick(widget, Qt::LeftButton);
    QCOMPARE(clicks, 1);
    button.setEnabled(false);
    QVERIFY(!widget->isEnabled());
    QTest::mouseClick(widget, Qt::LeftButton);
    QCOMPARE(clicks, 1);
    button.setCaption(u"Sending...");
    QCOMPARE(widget->text(), QStringLiteral("Sending..."));
    QCOMPARE(button.caption(), Text(u"Sending..."));
}

void TestQtForms::timerTicks()
{
    auto &timer = m_view->get<Timer>("tmrBeat");
    QVERIFY(!timer.isEnabled());
    QCOMPARE(timer.interval(), 1000);
    int ticks = 0;
    timer.onTick = [&] { ++ticks; };
    timer.setInterval(5);
    timer.setEnabled(true);
    QTRY_VERIFY(ticks >= 2);
    timer.setEnabled(false);
    QVERIFY(!timer.isEnabled());
}

void TestQtForms::messageBoxes_data()
{
    QTest::addColumn<int>("icon");
    QTest::addColumn<int>("expected");
    QTest::newRow("critical") << int(BoxIcon::Critical) << int(QMessageBox::Critical);
    QTest::newRow("exclamation") << int(BoxIcon::Exclamation) << int(QMessageBox::Warning);
    QTest::newRow("information") << int(BoxIcon::Information) << int(QMessageBox::Information);
}

void TestQtForms::messageBoxes()
{
    QFETCH(int, icon);
    QFETCH(int, expected);
    m_window->show();
    MessageBoxWatcher watcher;
    m_view->messageBox(u"Text!", u"Title", BoxIcon(icon));
    QCOMPARE(watcher.boxes.size(), 1);
    QCOMPARE(int(watcher.boxes[0].icon), expected);
    QCOMPARE(watcher.boxes[0].title, QStringLiteral("Title"));
    QCOMPARE(watcher.boxes[0].text, QStringLiteral("Text!"));
    QCOMPARE(watcher.boxes[0].standardButtons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(watcher.boxes[0].ownerCaption, QStringLiteral("Sample window"));
}

void TestQtForms::closeMayDestroyView()
{
    m_window->show();
    QPointer<QWidget> window = m_window;
    int closes = 0;
    auto &button = m_view->get<Button>("cmdGo");
    button.onClick = [&] { m_view->close(); };
    m_view->onClose = [&] {
        ++closes;
        m_view.reset();
    };
    QTest::mouseClick(child<QPushButton>(m_window, "cmdGo"), Qt::LeftButton);
    QCOMPARE(closes, 1);
    QVERIFY(!m_view);
    QTRY_VERIFY(window.isNull());
}

void TestQtForms::folderListOpensAndRefuses()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("sub/inner")));
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral(".hidden")));
    auto view = m_toolkit.build(picker);
    auto &folders = view->get<FolderList>("dirFile");
    QCOMPARE(folders.setPath(dir.path().toStdU16String()), std::nullopt);
    QCOMPARE(folders.path(), dir.path().toStdU16String());
    auto *widget = child<QListWidget>(qt::widgetOf(*view), "dirFile");
    QStringList rows;
    for (int i = 0; i < widget->count(); ++i)
        rows.append(widget->item(i)->text().trimmed());
    QCOMPARE(rows.first(), QStringLiteral("/"));
    QCOMPARE(rows.last(), QStringLiteral("sub"));
    QVERIFY(!rows.contains(QStringLiteral(".hidden")));

    int changes = 0;
    folders.onChange = [&] { ++changes; };
    emit widget->itemActivated(widget->item(widget->count() - 1));
    QCOMPARE(changes, 1);
    QCOMPARE(folders.path(), (dir.path() + QStringLiteral("/sub")).toStdU16String());

    const auto error = folders.setPath((dir.path() + QStringLiteral("/missing")).toStdU16String());
    QVERIFY(error);
    QCOMPARE(QString::fromStdU16String(*error), QStringLiteral("No such file or directory"));
    QCOMPARE(folders.path(), (dir.path() + QStringLiteral("/sub")).toStdU16String());
}

void TestQtForms::fileListShowsOrdinaryFiles()
{
    QTemporaryDir dir;
    for (const char *name : {"b.txt", "a.sh", ".hidden"}) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    QVERIFY(QFile::link(
        dir.filePath(QStringLiteral("missing")), dir.filePath(QStringLiteral("dangling"))));
    auto view = m_toolkit.build(picker);
    auto &files = view->get<FileList>("filFile");
    files.setPath(dir.path().toStdU16String());
    auto *widget = child<QListWidget>(qt::widgetOf(*view), "filFile");
    QStringList names;
    for (int i = 0; i < widget->count(); ++i)
        names.append(widget->item(i)->text());
    QCOMPARE(names, QStringList({"a.sh", "b.txt"}));
    QCOMPARE(files.selectedName(), Text());
    widget->item(1)->setSelected(true);
    QCOMPARE(files.selectedName(), Text(u"b.txt"));
    int doubleClicks = 0;
    files.onDoubleClick = [&] { ++doubleClicks; };
    emit widget->itemDoubleClicked(widget->item(0));
    QCOMPARE(doubleClicks, 1);
}

void TestQtForms::listsStartAtCurrentFolder()
{
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    QFile file(dir.filePath(QStringLiteral("here.txt")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    auto view = m_toolkit.build(picker);
    QDir::setCurrent(previous);
    QCOMPARE(view->get<FolderList>("dirFile").path(), dir.path().toStdU16String());
    QCOMPARE(view->get<FileList>("filFile").path(), dir.path().toStdU16String());
    auto *drives = child<QComboBox>(qt::widgetOf(*view), "drvFile");
    QVERIFY(drives->count() > 0);
    QVERIFY(dir.path().startsWith(drives->currentText()));
    QCOMPARE(view->get<DriveList>("drvFile").drive(), drives->currentText().toStdU16String());
}

QTEST_MAIN(TestQtForms)
#include "tst_qtforms.moc"
