#include "qtcontrols.h"

#include "messagetext.h"

#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QTextDocument>

#include <cerrno>
#include <cstring>

#include <dirent.h>

namespace forms::qt {

QString toQString(const Text &text)
{
    return QString::fromStdU16String(text);
}

Text fromQString(const QString &text)
{
    return text.toStdU16String();
}

// ---- text boxes ------------------------------------------------------------

TypingLimit::TypingLimit(int maxLength, QLineEdit *edit)
    : QValidator(edit), limit(maxLength), m_edit(edit)
{
}

QValidator::State TypingLimit::validate(QString &input, int & /*position*/) const
{
    // Shortening a text that is over the limit is fine.
    return input.size() <= limit || input.size() < m_edit->text().size() ? Acceptable : Invalid;
}

LineEdit::LineEdit(QLineEdit *widget) : m_widget(widget) { }

Text LineEdit::text() const
{
    return fromQString(m_widget->text());
}

void LineEdit::setText(const Text &text)
{
    m_widget->setText(toQString(text));
}

void LineEdit::setFocus()
{
    m_widget->setFocus();
}

MultiLineEdit::MultiLineEdit(QPlainTextEdit *widget) : m_widget(widget) { }

Text MultiLineEdit::text() const
{
    // The raw text: toPlainText() would turn no-break spaces into spaces.
    return fromQString(quillon::messageFromEditor(
        m_widget->document()->toRawText(), QString::fromStdU16String(lineBreak)));
}

void MultiLineEdit::setText(const Text &text)
{
    m_widget->setPlainText(toQString(text));
}

void MultiLineEdit::setFocus()
{
    m_widget->setFocus();
}

// ---- list boxes ------------------------------------------------------------

void ListWidget::focusInEvent(QFocusEvent *event)
{
    const bool hadCurrent = currentIndex().isValid();
    QListWidget::focusInEvent(event);
    if (!hadCurrent && currentIndex().isValid()) {
        const QSignalBlocker quiet(selectionModel());
        selectionModel()->clearCurrentIndex();
    }
}

void ListWidget::mousePressEvent(QMouseEvent *event)
{
    QListWidget::mousePressEvent(event);
    if (picked && itemAt(event->position().toPoint()))
        picked();
}

void ListWidget::keyPressEvent(QKeyEvent *event)
{
    const QModelIndex before = currentIndex();
    const QItemSelection selectedBefore = selectionModel()->selection();
    QListWidget::keyPressEvent(event);
    if (picked && (currentIndex() != before || selectionModel()->selection() != selectedBefore))
        picked();
}

List::List(QListWidget *widget) : m_widget(widget) { }

int List::count() const
{
    return m_widget->count();
}

Text List::item(int index) const
{
    const QListWidgetItem *row = m_widget->item(index);
    return row ? fromQString(row->text()) : Text();
}

void List::addItem(const Text &text)
{
    const QSignalBlocker quiet(m_widget);
    m_widget->addItem(toQString(text));
}

void List::insertItem(int index, const Text &text)
{
    const QSignalBlocker quiet(m_widget);
    m_widget->insertItem(index, toQString(text));
}

void List::removeItem(int index)
{
    const QSignalBlocker quiet(m_widget);
    delete m_widget->takeItem(index);
}

void List::clear()
{
    const QSignalBlocker quiet(m_widget);
    m_widget->clear();
}

int List::currentIndex() const
{
    return m_widget->currentRow();
}

bool List::isSelected(int index) const
{
    const QListWidgetItem *row = m_widget->item(index);
    return row && row->isSelected();
}

// ---- buttons, check boxes, labels, timers -----------------------------------

PushButton::PushButton(QPushButton *widget) : m_widget(widget) { }

Text PushButton::caption() const
{
    return fromQString(m_widget->text());
}

void PushButton::setCaption(const Text &caption)
{
    m_widget->setText(toQString(caption));
}

bool PushButton::isEnabled() const
{
    return m_widget->isEnabled();
}

void PushButton::setEnabled(bool enabled)
{
    m_widget->setEnabled(enabled);
}

void TwoWayCheckBox::nextCheckState()
{
    setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

Check::Check(QCheckBox *widget) : m_widget(widget)
{
    m_widget->setTristate(true);
}

CheckBox::State Check::state() const
{
    switch (m_widget->checkState()) {
    case Qt::Checked:
        return Checked;
    case Qt::PartiallyChecked:
        return Grayed;
    default:
        return Unchecked;
    }
}

void Check::setState(State state)
{
    m_widget->setCheckState(state == Checked ? Qt::Checked
            : state == Grayed                ? Qt::PartiallyChecked
                                             : Qt::Unchecked);
}

StaticText::StaticText(QLabel *widget) : m_widget(widget) { }

Text StaticText::caption() const
{
    return fromQString(m_widget->text());
}

void StaticText::setCaption(const Text &caption)
{
    m_widget->setText(toQString(caption));
}

IntervalTimer::IntervalTimer(QTimer *timer, bool enabled) : m_timer(timer), m_enabled(enabled)
{
    apply();
}

int IntervalTimer::interval() const
{
    return m_timer->interval();
}

void IntervalTimer::setInterval(int milliseconds)
{
    m_timer->setInterval(milliseconds);
    apply();
}

void IntervalTimer::setEnabled(bool enabled)
{
    m_enabled = enabled;
    apply();
}

void IntervalTimer::apply()
{
    if (m_enabled && m_timer->interval() > 0)
        m_timer->start();
    else
        m_timer->stop();
}

// ---- drive, folder and file lists --------------------------------------------

namespace {

// Names as the Windows lists sort them: ignoring case.
constexpr QDir::SortFlags sortOrder = QDir::Name | QDir::IgnoreCase;

// Why the folder cannot be opened, in the system's words, or nothing.
std::optional<QString> cannotOpen(const QString &path)
{
    DIR *dir = ::opendir(QFile::encodeName(path).constData());
    if (!dir)
        return QString::fromLocal8Bit(std::strerror(errno));
    ::closedir(dir);
    return std::nullopt;
}

} // namespace

MountList::MountList(QComboBox *widget) : m_widget(widget)
{
    QStringList roots;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes())
        roots.append(volume.rootPath());
    roots.sort();
    roots.removeDuplicates();
    m_widget->addItems(roots);
    m_widget->setCurrentIndex(int(roots.indexOf(QStorageInfo(QDir::currentPath()).rootPath())));
}

Text MountList::drive() const
{
    return fromQString(m_widget->currentText());
}

FolderTree::FolderTree(QListWidget *widget) : m_widget(widget), m_path(QDir::currentPath())
{
    fill();
}

Text FolderTree::path() const
{
    return fromQString(m_path);
}

std::optional<Text> FolderTree::setPath(const Text &path)
{
    const QString folder = QDir::cleanPath(QDir(m_path).absoluteFilePath(toQString(path)));
    if (const auto error = cannotOpen(folder))
        return fromQString(*error);
    m_path = folder;
    fill();
    return std::nullopt;
}

std::optional<Text> FolderTree::openRow(int row)
{
    const QListWidgetItem *item = m_widget->item(row);
    if (!item)
        return std::nullopt;
    return setPath(fromQString(item->data(Qt::UserRole).toString()));
}

void FolderTree::fill()
{
    const QSignalBlocker quiet(m_widget);
    m_widget->clear();
    // The path from the root down, each folder one step further in.
    QString path = QStringLiteral("/");
    QStringList names = m_path.split(u'/', Qt::SkipEmptyParts);
    names.prepend(path);
    int depth = 0;
    for (const QString &name : names) {
        if (depth > 0)
            path = QDir(path).filePath(name);
        auto *item = new QListWidgetItem(QString(depth * 2, u' ') + name, m_widget);
        item->setData(Qt::UserRole, path);
        ++depth;
    }
    m_widget->setCurrentRow(m_widget->count() - 1);
    const QStringList subfolders
        = QDir(m_path).entryList(QDir::Dirs | QDir::NoDotAndDotDot, sortOrder);
    for (const QString &name : subfolders) {
        auto *item = new QListWidgetItem(QString(depth * 2, u' ') + name, m_widget);
        item->setData(Qt::UserRole, QDir(m_path).filePath(name));
    }
}

FileNames::FileNames(QListWidget *widget) : m_widget(widget)
{
    setPath(fromQString(QDir::currentPath()));
}

Text FileNames::path() const
{
    return fromQString(m_path);
}

void FileNames::setPath(const Text &path)
{
    const QSignalBlocker quiet(m_widget);
    m_path = toQString(path);
    m_widget->clear();
    // Hidden files and system entries (devices, sockets, pipes) stay out.
    m_widget->addItems(QDir(m_path).entryList(QDir::Files, sortOrder));
}

Text FileNames::selectedName() const
{
    const QList<QListWidgetItem *> selected = m_widget->selectedItems();
    return selected.isEmpty() ? Text() : fromQString(selected.first()->text());
}

} // namespace forms::qt
