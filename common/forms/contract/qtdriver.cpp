// The contract suite's driver for the Qt toolkit, on the offscreen platform:
// the user's actions are QTest's mouse and key events on the widgets, found
// by their object names, and what the window shows is read from them.
#include "driver.h"
#include "messageboxwatcher.h"
#include "qtcontrols.h"
#include "qttoolkit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <stdexcept>

namespace contract {

namespace {

Text t(const QString &text)
{
    return text.toStdU16String();
}

class QtDriver : public Driver
{
public:
    forms::Toolkit &toolkit() override { return m_toolkit; }

    void show(forms::View &view) override
    {
        view.show();
        window(view).activateWindow();
        if (!QTest::qWaitForWindowActive(&window(view)))
            ADD_FAILURE() << "the window did not become active";
    }
    void click(forms::View &view, const char *name) override
    {
        QTest::mouseClick(&widget(view, name), Qt::LeftButton);
    }
    void type(forms::View &view, const char *name, const Text &characters) override
    {
        QPointer<QWidget> target = &widget(view, name);
        target->setFocus();
        for (const char16_t c : characters) {
            // A handler may have closed the window.
            if (!target)
                return;
            if (c == u'\r')
                QTest::keyClick(target, Qt::Key_Return);
            else if (c == u'\b')
                QTest::keyClick(target, Qt::Key_Backspace);
            else if (c < 0x80)
                QTest::keyClick(target, char(c));
            else
                // QTest knows ASCII only: other characters come as an input
                // method delivers them, as a key event with just its text.
                QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(QChar(c)), {});
        }
    }
    void press(forms::View &view, const char *name, Key key) override
    {
        QWidget &target = widget(view, name);
        target.setFocus();
        switch (key) {
        case Key::Enter:
            QTest::keyClick(&target, Qt::Key_Return);
            break;
        case Key::KeypadEnter:
            QTest::keyClick(&target, Qt::Key_Enter, Qt::KeypadModifier);
            break;
        case Key::Space:
            QTest::keyClick(&target, Qt::Key_Space);
            break;
        case Key::Tab:
            QTest::keyClick(&target, Qt::Key_Tab);
            break;
        case Key::Backtab:
            QTest::keyClick(&target, Qt::Key_Backtab, Qt::ShiftModifier);
            break;
        case Key::Down:
            QTest::keyClick(&target, Qt::Key_Down);
            break;
        case Key::Backspace:
            QTest::keyClick(&target, Qt::Key_Backspace);
            break;
        }
    }
    void pick(forms::View &view, const char *name, int row, bool ctrl) override
    {
        auto &list = widget<QListWidget>(view, name);
        QTest::mouseClick(list.viewport(), Qt::LeftButton,
            ctrl ? Qt::ControlModifier : Qt::NoModifier,
            list.visualItemRect(list.item(row)).center());
    }
    void doubleClick(forms::View &view, const char *name, int row) override
    {
        auto &list = widget<QListWidget>(view, name);
        const QPoint at = list.visualItemRect(list.item(row)).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
    }
    void accessKey(forms::View &view, char16_t letter) override
    {
        QWidget *target = QApplication::focusWidget();
        QTest::keyClick(target ? target : &window(view), char(letter), Qt::AltModifier);
        // The shortcut reaches its button a moment later.
        QTest::qWait(200);
    }
    void closeButton(forms::View &view) override { window(view).close(); }

    bool waitUntil(const std::function<bool()> &condition) override
    {
        return QTest::qWaitFor(condition, 5000);
    }
    void settle() override
    {
        for (int pass = 0; pass < 3; ++pass)
            QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    Text caption(forms::View &view) override { return t(window(view).windowTitle()); }
    Rect clientArea(forms::View &view) override
    {
        return {0, 0, window(view).width(), window(view).height()};
    }
    bool fixedFrame(forms::View &view) override
    {
        const QWidget &frame = window(view);
        const Qt::WindowFlags flags = frame.windowFlags();
        return frame.minimumSize() == frame.maximumSize() && (flags & Qt::WindowCloseButtonHint)
            && !(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    }
    bool hasIcon(forms::View &view) override { return !window(view).windowIcon().isNull(); }
    bool shown(forms::View &view) override { return window(view).isVisible(); }
    std::string focus(forms::View &view) override
    {
        for (QWidget *focused = QApplication::focusWidget(); focused;
             focused = focused->parentWidget()) {
            if (focused->parentWidget() == &window(view))
                return focused->objectName().toStdString();
        }
        return {};
    }

    Rect placement(forms::View &view, const char *name) override
    {
        const QRect at = widget(view, name).geometry();
        return {at.x(), at.y(), at.width(), at.height()};
    }
    Text text(forms::View &view, const char *name) override
    {
        QWidget &shown = widget(view, name);
        if (auto *label = qobject_cast<QLabel *>(&shown))
            return t(label->text());
        if (auto *button = qobject_cast<QAbstractButton *>(&shown))
            return t(button->text());
        if (auto *line = qobject_cast<QLineEdit *>(&shown))
            return t(line->text());
        return t(widget<QPlainTextEdit>(view, name).toPlainText());
    }
    Text tooltip(forms::View &view, const char *name) override
    {
        return t(widget(view, name).toolTip());
    }
    bool visible(forms::View &view, const char *name) override
    {
        return !widget(view, name).isHidden();
    }
    bool enabled(forms::View &view, const char *name) override
    {
        return widget(view, name).isEnabled();
    }
    std::vector<Text> rows(forms::View &view, const char *name) override
    {
        auto &list = widget<QListWidget>(view, name);
        std::vector<Text> shown;
        for (int i = 0; i < list.count(); ++i)
            shown.push_back(t(list.item(i)->text()));
        return shown;
    }
    int maxLength(forms::View &view, const char *name) override
    {
        const auto *limit = dynamic_cast<const forms::qt::TypingLimit *>(
            widget<QLineEdit>(view, name).validator());
        return limit ? limit->limit : 0;
    }
    bool extendedSelection(forms::View &view, const char *name) override
    {
        return widget<QListWidget>(view, name).selectionMode()
            == QAbstractItemView::ExtendedSelection;
    }
    bool menuBackground(forms::View &view, const char *name) override
    {
        return widget(view, name).palette().color(QPalette::Base)
            == QApplication::palette("QMenu").color(QPalette::Window);
    }
    bool scrollBars(forms::View &view, const char *name) override
    {
        return widget<QPlainTextEdit>(view, name).verticalScrollBarPolicy()
            == Qt::ScrollBarAsNeeded;
    }

    bool captionFits(forms::View &view, const char *name) override
    {
        QWidget &control = widget(view, name);
        const QString caption = QString::fromStdU16String(text(view, name)).remove(u'&');
        return QFontMetrics(control.font()).horizontalAdvance(caption)
            <= control.contentsRect().width();
    }

    std::vector<Box> boxes() override
    {
        std::vector<Box> shown;
        for (const ShownBox &box : m_watcher.boxes) {
            const forms::BoxIcon icon = box.icon == QMessageBox::Critical ? forms::BoxIcon::Critical
                : box.icon == QMessageBox::Warning ? forms::BoxIcon::Exclamation
                                                   : forms::BoxIcon::Information;
            shown.push_back(
                {t(box.text), t(box.title), icon, box.buttonCount, t(box.ownerCaption)});
        }
        return shown;
    }

private:
    static QWidget &window(forms::View &view)
    {
        QWidget *top = forms::qt::widgetOf(view);
        if (!top)
            throw std::runtime_error("not a window of the Qt toolkit");
        return *top;
    }
    // A missing widget fails the test, rather than crashing it.
    template<class T = QWidget>
    static T &widget(forms::View &view, const char *name)
    {
        auto *found = window(view).findChild<T *>(QString::fromLatin1(name));
        if (!found)
            throw std::runtime_error(std::string("no widget ") + name);
        return *found;
    }

    forms::qt::Toolkit m_toolkit;
    MessageBoxWatcher m_watcher;
};

} // namespace

std::unique_ptr<Driver> makeDriver()
{
    return std::make_unique<QtDriver>();
}

} // namespace contract

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
