#include "qttoolkit.h"

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

// Lives with the window, not with the view: the form may destroy the view
// from inside one of the events that pass through here.
class Relay : public QObject
{
public:
    explicit Relay(QObject *parent) : QObject(parent) { }

    QtView *view = nullptr;
    // Text boxes whose typed characters go through the form first.
    std::map<QObject *, TextBox *> keyed;
    // Push buttons: Enter presses the focused one, as on Windows.
    std::set<QObject *> buttons;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

QString iconPath(Icon icon)
{
    switch (icon) {
    case Icon::Quillpost:
        return QStringLiteral(":/quillpost/quillpost.png");
    case Icon::Crier:
        return QStringLiteral(":/crier/crier.png");
    case Icon::FilePicker:
        return QStringLiteral(":/crier/frmfile.png");
    case Icon::None:
        break;
    }
    return {};
}

class QtView : public View
{
public:
    explicit QtView(const WindowSpec &spec);
    ~QtView() override;

    Control *find(const char *name) override;
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
    void closed()
    {
        if (const auto closing = onClose)
            closing();
    }

private:
    void add(const ControlSpec &row);
    template<class Adapter, class Widget>
    Adapter *adopt(const ControlSpec &row, Widget *widget);

    QPointer<QWidget> m_window;
    Relay *m_relay;
    std::map<std::string, std::unique_ptr<Control>> m_controls;
    std::vector<std::pair<int, QWidget *>> m_tabStops;
};

bool Relay::eventFilter(QObject *watched, QEvent *event)
{
    if (!view)
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
    if (box == keyed.end() || !box->second->onKeyPress)
        return false;

    if (enter) {
        // Enter types nothing into a one-line box; the form still hears it.
        box->second->onKeyPress(13);
        return false;
    }
    // Tab moves the focus; it is no character typed into the box.
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
        return false;
    const QString typed = key->text();
    if (typed.size() != 1)
        return false;
    const int code = typed.front().unicode();
    const int answer = box->second->onKeyPress(code);
    if (answer == code)
        return false;
    if (answer != 0) {
        QKeyEvent replaced(QEvent::KeyPress, 0, key->modifiers(), QString(QChar(answer)));
        QCoreApplication::sendEvent(watched, &replaced);
    }
    return true;
}

QtView::QtView(const WindowSpec &spec)
    : m_window(new QWidget(nullptr,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)),
      m_relay(new Relay(m_window))
{
    m_relay->view = this;
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
    const QString icon = iconPath(spec.icon);
    if (!icon.isEmpty())
        m_window->setWindowIcon(QIcon(icon));
    m_window->installEventFilter(m_relay);

    for (const ControlSpec &row : spec.controls)
        add(row);

    std::stable_sort(m_tabStops.begin(), m_tabStops.end(),
        [](const auto &a, const auto &b) { return a.first < b.first; });
    for (std::size_t i = 1; i < m_tabStops.size(); ++i)
        QWidget::setTabOrder(m_tabStops[i - 1].second, m_tabStops[i].second);
}

QtView::~QtView()
{
    m_relay->view = nullptr;
    if (m_window) {
        m_window->hide();
        // Not deleted here: this may run inside one of the window's events.
        m_window->deleteLater();
    }
}

Control *QtView::find(const char *name)
{
    const auto found = m_controls.find(name);
    return found == m_controls.end() ? nullptr : found->second.get();
}

void QtView::messageBox(const Text &text, const Text &title, BoxIcon icon)
{
    const QMessageBox::Icon shown = icon == BoxIcon::Critical ? QMessageBox::Critical
        : icon == BoxIcon::Exclamation                        ? QMessageBox::Warning
                                                              : QMessageBox::Information;
    QMessageBox box(shown, toQString(title), toQString(text), QMessageBox::Ok, m_window);
    box.exec();
}

template<class Adapter, class Widget>
Adapter *QtView::adopt(const ControlSpec &row, Widget *widget)
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
        m_tabStops.emplace_back(row.tabIndex, widget);
    if (row.flags & InitialFocus)
        widget->setFocus();
    auto adapter = std::make_unique<Adapter>(widget);
    Adapter *raw = adapter.get();
    m_controls[row.name] = std::move(adapter);
    return raw;
}

void QtView::add(const ControlSpec &row)
{
    QWidget *parent = m_window;
    Relay *relay = m_relay;
    const QString caption = row.caption ? toQString(row.caption) : QString();
    // Each event reaches the form only while the view lives.
    const auto forward = [relay](const std::function<void()> &handler) {
        if (relay->view && handler)
            handler();
    };

    switch (row.kind) {
    case Kind::Label: {
        auto *label = new QLabel(caption, parent);
        label->setFocusPolicy(Qt::NoFocus);
        adopt<StaticText>(row, label);
        break;
    }
    case Kind::TextBox: {
        auto *edit = new QLineEdit(caption, parent);
        // A QLineEdit stops at 32767 characters unless told otherwise.
        edit->setMaxLength(row.maxLength > 0 ? row.maxLength : std::numeric_limits<int>::max());
        auto *box = adopt<LineEdit>(row, edit);
        edit->installEventFilter(relay);
        relay->keyed[edit] = box;
        QObject::connect(edit, &QLineEdit::textChanged, relay, [=] { forward(box->onChange); });
        break;
    }
    case Kind::MultiLineTextBox: {
        auto *edit = new QPlainTextEdit(caption, parent);
        edit->setTabChangesFocus(true);
        edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        edit->setVerticalScrollBarPolicy(
            row.flags & ScrollBars ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
        auto *box = adopt<MultiLineEdit>(row, edit);
        edit->installEventFilter(relay);
        relay->keyed[edit] = box;
        QObject::connect(
            edit, &QPlainTextEdit::textChanged, relay, [=] { forward(box->onChange); });
        break;
    }
    case Kind::ListBox: {
        auto *list = new ListWidget(parent);
        list->setSelectionMode(row.flags & ExtendedSelection ? QAbstractItemView::ExtendedSelection
                                                             : QAbstractItemView::SingleSelection);
        // One line of text per entry: every entry as high as the first, so
        // that a new one does not make the list measure all the others
        // again (a status list of many thousand lines would crawl).
        list->setUniformItemSizes(true);
        if (row.flags & MenuBackground) {
            QPalette palette = list->palette();
            palette.setColor(
                QPalette::Base, QApplication::palette("QMenu").color(QPalette::Window));
            list->setPalette(palette);
        }
        auto *box = adopt<List>(row, list);
        // Picked with the mouse or the arrow keys.
        QObject::connect(
            list, &QListWidget::itemSelectionChanged, relay, [=] { forward(box->onClick); });
        QObject::connect(list, &QListWidget::itemClicked, relay, [=] { forward(box->onClick); });
        break;
    }
    case Kind::Button: {
        auto *button = new QPushButton(caption, parent);
        button->setAutoDefault(false);
        auto *adapter = adopt<PushButton>(row, button);
        button->installEventFilter(relay);
        relay->buttons.insert(button);
        QObject::connect(button, &QPushButton::clicked, relay, [=] { forward(adapter->onClick); });
        break;
    }
    case Kind::CheckBox:
        adopt<Check>(row, new TwoWayCheckBox(caption, parent));
        break;
    case Kind::Timer: {
        auto *timer = new QTimer(relay);
        timer->setObjectName(QString::fromLatin1(row.name));
        timer->setInterval(row.interval);
        if (!(row.flags & Disabled))
            timer->start();
        auto adapter = std::make_unique<IntervalTimer>(timer);
        IntervalTimer *raw = adapter.get();
        QObject::connect(timer, &QTimer::timeout, relay, [=] { forward(raw->onTick); });
        m_controls[row.name] = std::move(adapter);
        break;
    }
    case Kind::DriveList: {
        auto *combo = new QComboBox(parent);
        auto *adapter = adopt<MountList>(row, combo);
        QObject::connect(combo, &QComboBox::activated, relay, [=] { forward(adapter->onChange); });
        break;
    }
    case Kind::FolderList: {
        auto *list = new QListWidget(parent);
        auto *adapter = adopt<FolderTree>(row, list);
        QObject::connect(list, &QListWidget::itemActivated, relay, [=](QListWidgetItem *item) {
            if (relay->view && !adapter->openRow(list->row(item)))
                forward(adapter->onChange);
        });
        break;
    }
    case Kind::FileList: {
        auto *list = new QListWidget(parent);
        auto *adapter = adopt<FileNames>(row, list);
        QObject::connect(
            list, &QListWidget::itemDoubleClicked, relay, [=] { forward(adapter->onDoubleClick); });
        break;
    }
    }
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
