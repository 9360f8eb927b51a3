#include "qttoolkit.h"

#include "builder.h"
#include "qtcontrols.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFont>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace forms::qt {

namespace {

class QtView;

QString captionOf(const ControlSpec &row)
{
    return row.caption ? toQString(row.caption) : QString();
}

// Lives with the window, not with the view: the form may destroy the view
// from inside one of the events that pass through here.
class Relay : public QObject
{
public:
    Relay(QObject *parent, QtView *owner);

    QtView *const view;
    // Whether the view still lives.
    const Watch alive;
    // Text boxes whose typed characters go through the form first.
    std::map<QObject *, TextBox *> keyed;
    // Push buttons: Enter presses the focused one, as on Windows.
    std::set<QObject *> buttons;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

class QtView : public View, private ControlMaker
{
public:
    explicit QtView(const WindowSpec &spec);
    ~QtView() override;

    Control *find(const char *name) override { return m_controls.find(name); }
    Text caption() const override { return fromQString(m_window->windowTitle()); }
    void setCaption(const Text &caption) override { m_window->setWindowTitle(toQString(caption)); }
    void show() override { m_window->show(); }
    void bringToFront() override
    {
        m_window->show();
        m_window->raise();
        m_window->activateWindow();
    }
    void repaint() override { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }
    void close() override { m_window->close(); }
    void messageBox(const Text &text, const Text &title, BoxIcon icon) override;

    QWidget *window() const { return m_window; }
    // The window closed: the form hears of it once.
    void closed() { raise(watch(), this, &View::onClose); }

private:
    std::unique_ptr<Control> label(const ControlSpec &row) override;
    std::unique_ptr<Control> textBox(const ControlSpec &row) override;
    std::unique_ptr<Control> multiLineTextBox(const ControlSpec &row) override;
    std::unique_ptr<Control> listBox(const ControlSpec &row) override;
    std::unique_ptr<Control> button(const ControlSpec &row) override;
    std::unique_ptr<Control> checkBox(const ControlSpec &row) override;
    std::unique_ptr<Control> timer(const ControlSpec &row) override;
    std::unique_ptr<Control> driveList(const ControlSpec &row) override;
    std::unique_ptr<Control> folderList(const ControlSpec &row) override;
    std::unique_ptr<Control> fileList(const ControlSpec &row) override;

    // Places the widget as its row says.
    void adopt(const ControlSpec &row, QWidget *widget);
    // Raises the adapter's event each time the widget sends the signal.
    template<class Widget, class Signal, class Adapter, class Owner>
    void forward(
        Widget *widget, Signal signal, Adapter *adapter, std::function<void()> Owner::*event)
    {
        QObject::connect(widget, signal, m_relay,
            [alive = m_relay->alive, adapter, event] { raise(alive, adapter, event); });
    }

    QPointer<QWidget> m_window;
    Relay *m_relay;
    Controls m_controls;
    std::vector<QWidget *> m_tabStops;
};

Relay::Relay(QObject *parent, QtView *owner) : QObject(parent), view(owner), alive(owner->watch())
{
}

bool Relay::eventFilter(QObject *watched, QEvent *event)
{
    if (alive.expired())
        return false;
    if (event->type() == QEvent::Close && watched == view->window()) {
        view->closed();
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (buttons.count(watched)) {
        auto *button = static_cast<QPushButton *>(watched);
        if (!enter || !button->isEnabled())
            return false;
        button->click();
        return true;
    }
    const auto box = keyed.find(watched);
    if (box == keyed.end())
        return false;
    // Tab moves the focus; it is no character typed into the box.
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
        return false;
    const QString typed = key->text();
    if (!enter && typed.size() != 1)
        return false;
    // Enter comes as 13 whatever the key's text.
    const int code = enter ? 13 : typed.front().unicode();
    const auto answer = raiseKey(alive, box->second, code);
    if (!answer)
        return true;
    if (*answer == code)
        return false;
    if (*answer != 0) {
        QKeyEvent replaced(QEvent::KeyPress, 0, key->modifiers(), QString(QChar(*answer)));
        QCoreApplication::sendEvent(watched, &replaced);
    }
    return true;
}

QtView::QtView(const WindowSpec &spec)
    : m_window(new QWidget(nullptr,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)),
      m_relay(new Relay(m_window, this))
{
    m_window->setObjectName(QString::fromLatin1(spec.name));
    m_window->setWindowTitle(toQString(spec.caption));
    m_window->setFixedSize(spec.clientWidth, spec.clientHeight);
    // The tables are laid out in pixels for the Windows dialog font, 11
    // pixels high and about as wide as Arial: a wider font would not fit the
    // labels.  Liberation Sans has Arial's widths.
    QFont font = m_window->font();
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), font.family()});
    font.setPixelSize(11);
    m_window->setFont(font);
    // The program's resources hold its icons.
    if (spec.icon)
        m_window->setWindowIcon(
            QIcon(QStringLiteral(":/icons/%1.png").arg(QLatin1String(spec.icon))));
    m_window->installEventFilter(m_relay);

    // Made in tab order: the focus chain follows it.
    m_controls.build(spec, *this);
    for (std::size_t i = 1; i < m_tabStops.size(); ++i)
        QWidget::setTabOrder(m_tabStops[i - 1], m_tabStops[i]);
}

QtView::~QtView()
{
    endEvents();
    if (m_window) {
        m_window->hide();
        // Not deleted here: this may run inside one of the window's events.
        m_window->deleteLater();
    }
}

void QtView::messageBox(const Text &text, const Text &title, BoxIcon icon)
{
    const QMessageBox::Icon shown = icon == BoxIcon::Critical ? QMessageBox::Critical
        : icon == BoxIcon::Exclamation                        ? QMessageBox::Warning
                                                              : QMessageBox::Information;
    QMessageBox box(shown, toQString(title), toQString(text), QMessageBox::Ok, m_window);
    box.exec();
}

void QtView::adopt(const ControlSpec &row, QWidget *widget)
{
    widget->setObjectName(QString::fromLatin1(row.name));
    widget->setGeometry(row.left, row.top, row.width, row.height);
    if (row.tooltip)
        widget->setToolTip(toQString(row.tooltip));
    if (row.flags & Disabled)
        widget->setEnabled(false);
    if (row.flags & Hidden)
        widget->hide();
    else if (row.tabIndex >= 0 && widget->focusPolicy() != Qt::NoFocus)
        m_tabStops.push_back(widget);
    if (row.flags & InitialFocus)
        widget->setFocus();
}

std::unique_ptr<Control> QtView::label(const ControlSpec &row)
{
    auto *label = new QLabel(captionOf(row), m_window);
    label->setFocusPolicy(Qt::NoFocus);
    adopt(row, label);
    return std::make_unique<StaticText>(label);
}

std::unique_ptr<Control> QtView::textBox(const ControlSpec &row)
{
    auto *edit = new QLineEdit(captionOf(row), m_window);
    // A QLineEdit stops at 32767 characters unless told otherwise.
    edit->setMaxLength(std::numeric_limits<int>::max());
    if (row.maxLength > 0)
        edit->setValidator(new TypingLimit(row.maxLength, edit));
    adopt(row, edit);
    auto box = std::make_unique<LineEdit>(edit);
    edit->installEventFilter(m_relay);
    m_relay->keyed[edit] = box.get();
    forward(edit, &QLineEdit::textChanged, box.get(), &TextBox::onChange);
    return box;
}

std::unique_ptr<Control> QtView::multiLineTextBox(const ControlSpec &row)
{
    auto *edit = new QPlainTextEdit(captionOf(row), m_window);
    edit->setTabChangesFocus(true);
    edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->setVerticalScrollBarPolicy(
        row.flags & ScrollBars ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    adopt(row, edit);
    auto box = std::make_unique<MultiLineEdit>(edit);
    edit->installEventFilter(m_relay);
    m_relay->keyed[edit] = box.get();
    forward(edit, &QPlainTextEdit::textChanged, box.get(), &TextBox::onChange);
    return box;
}

std::unique_ptr<Control> QtView::listBox(const ControlSpec &row)
{
    auto *list = new ListWidget(m_window);
    list->setSelectionMode(row.flags & ExtendedSelection ? QAbstractItemView::ExtendedSelection
                                                         : QAbstractItemView::SingleSelection);
    // One line of text per entry: every entry as high as the first, so that a
    // new one does not make the list measure all the others again (a status
    // list of many thousand lines would crawl).
    list->setUniformItemSizes(true);
    if (row.flags & MenuBackground) {
        QPalette palette = list->palette();
        palette.setColor(QPalette::Base, QApplication::palette("QMenu").color(QPalette::Window));
        list->setPalette(palette);
    }
    adopt(row, list);
    auto box = std::make_unique<List>(list);
    list->picked = [alive = m_relay->alive, adapter = box.get()] {
        raise(alive, adapter, &ListBox::onClick);
    };
    return box;
}

std::unique_ptr<Control> QtView::button(const ControlSpec &row)
{
    auto *button = new QPushButton(captionOf(row), m_window);
    button->setAutoDefault(false);
    adopt(row, button);
    auto adapter = std::make_unique<PushButton>(button);
    button->installEventFilter(m_relay);
    m_relay->buttons.insert(button);
    forward(button, &QPushButton::clicked, adapter.get(), &Button::onClick);
    return adapter;
}

std::unique_ptr<Control> QtView::checkBox(const ControlSpec &row)
{
    auto *check = new TwoWayCheckBox(captionOf(row), m_window);
    adopt(row, check);
    return std::make_unique<Check>(check);
}

std::unique_ptr<Control> QtView::timer(const ControlSpec &row)
{
    auto *timer = new QTimer(m_relay);
    timer->setObjectName(QString::fromLatin1(row.name));
    timer->setInterval(row.interval);
    auto adapter = std::make_unique<IntervalTimer>(timer, !(row.flags & Disabled));
    forward(timer, &QTimer::timeout, adapter.get(), &Timer::onTick);
    return adapter;
}

std::unique_ptr<Control> QtView::driveList(const ControlSpec &row)
{
    auto *combo = new QComboBox(m_window);
    adopt(row, combo);
    auto adapter = std::make_unique<MountList>(combo);
    forward(combo, &QComboBox::activated, adapter.get(), &DriveList::onChange);
    return adapter;
}

std::unique_ptr<Control> QtView::folderList(const ControlSpec &row)
{
    auto *list = new QListWidget(m_window);
    adopt(row, list);
    auto adapter = std::make_unique<FolderTree>(list);
    QObject::connect(list, &QListWidget::itemActivated, m_relay,
        [alive = m_relay->alive, adapter = adapter.get(), list](QListWidgetItem *item) {
            // A folder that cannot be opened is passed over.
            if (!alive.expired() && !adapter->openRow(list->row(item)))
                raise(alive, adapter, &FolderList::onChange);
        });
    return adapter;
}

std::unique_ptr<Control> QtView::fileList(const ControlSpec &row)
{
    auto *list = new QListWidget(m_window);
    adopt(row, list);
    auto adapter = std::make_unique<FileNames>(list);
    forward(list, &QListWidget::itemDoubleClicked, adapter.get(), &FileList::onDoubleClick);
    return adapter;
}

} // namespace

std::unique_ptr<forms::View> Toolkit::build(const WindowSpec &window)
{
    return std::make_unique<QtView>(window);
}

void Toolkit::processPendingEvents()
{
    QCoreApplication::processEvents();
}

void Toolkit::endProcess()
{
    // At once: nothing is saved, no window asks anything.
    std::_Exit(0);
}

void Toolkit::post(std::function<void()> task)
{
    // A queued call on the application object runs in its thread's event
    // loop, nested ones (a message box) included.
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(task), Qt::QueuedConnection);
}

QWidget *widgetOf(forms::View &view)
{
    auto *qtView = dynamic_cast<QtView *>(&view);
    return qtView ? qtView->window() : nullptr;
}

} // namespace forms::qt
