// The Qt adapters: one per control kind, each over one Qt widget.  They
// turn the widget's signals into the control's events, and keep the
// program's own changes from looking like the user's.
#pragma once

#include "controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QPointer>
#include <QTimer>
#include <QValidator>

#include <functional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace forms::qt {

QString toQString(const Text &text);
Text fromQString(const QString &text);

// The limit of a one-line box holds for what the user types or pastes; the
// program's own text is not cut (QLineEdit's own limit would cut it).
class TypingLimit : public QValidator
{
public:
    TypingLimit(int limit, QLineEdit *edit);
    State validate(QString &input, int &position) const override;

    const int limit;

private:
    QLineEdit *m_edit;
};

class LineEdit : public TextBox
{
public:
    explicit LineEdit(QLineEdit *widget);
    Text text() const override;
    void setText(const Text &text) override;
    void setFocus() override;

private:
    QPointer<QLineEdit> m_widget;
};

class MultiLineEdit : public TextBox
{
public:
    explicit MultiLineEdit(QPlainTextEdit *widget);
    Text text() const override;
    void setText(const Text &text) override;
    void setFocus() override;

private:
    QPointer<QPlainTextEdit> m_widget;
};

// A list widget that gets no current entry from the focus alone: the
// current entry is the one the user last picked.  It tells of each pick
// once, as the Windows list box does: a click on an entry, or a key that
// moves to one or selects it.
class ListWidget : public QListWidget
{
public:
    using QListWidget::QListWidget;

    std::function<void()> picked;

protected:
    void focusInEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};

class List : public ListBox
{
public:
    explicit List(QListWidget *widget);
    int count() const override;
    Text item(int index) const override;
    void addItem(const Text &text) override;
    void insertItem(int index, const Text &text) override;
    void removeItem(int index) override;
    void clear() override;
    int currentIndex() const override;
    bool isSelected(int index) const override;

private:
    QPointer<QListWidget> m_widget;
};

class PushButton : public Button
{
public:
    explicit PushButton(QPushButton *widget);
    Text caption() const override;
    void setCaption(const Text &caption) override;
    bool isEnabled() const override;
    void setEnabled(bool enabled) override;

private:
    QPointer<QPushButton> m_widget;
};

// Shows all three states; a click only ever checks or unchecks.
class TwoWayCheckBox : public QCheckBox
{
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override;
};

class Check : public CheckBox
{
public:
    explicit Check(QCheckBox *widget);
    State state() const override;
    void setState(State state) override;

private:
    QPointer<QCheckBox> m_widget;
};

class StaticText : public Label
{
public:
    explicit StaticText(QLabel *widget);
    Text caption() const override;
    void setCaption(const Text &caption) override;

private:
    QPointer<QLabel> m_widget;
};

// Ticks while enabled with a period above 0: a QTimer would make a period
// of 0 the shortest one.
class IntervalTimer : public Timer
{
public:
    IntervalTimer(QTimer *timer, bool enabled);
    int interval() const override;
    void setInterval(int milliseconds) override;
    bool isEnabled() const override { return m_enabled; }
    void setEnabled(bool enabled) override;

private:
    void apply();

    QPointer<QTimer> m_timer;
    bool m_enabled;
};

// The mounted file systems, by their mount points.
class MountList : public DriveList
{
public:
    explicit MountList(QComboBox *widget);
    Text drive() const override;

private:
    QPointer<QComboBox> m_widget;
};

// The folders from the root down to the open one, then its subfolders.
class FolderTree : public FolderList
{
public:
    explicit FolderTree(QListWidget *widget);
    Text path() const override;
    std::optional<Text> setPath(const Text &path) override;
    // Opens the folder of a row, as a double click does.
    std::optional<Text> openRow(int row);

private:
    void fill();

    QPointer<QListWidget> m_widget;
    QString m_path;
};

class FileNames : public FileList
{
public:
    explicit FileNames(QListWidget *widget);
    Text path() const override;
    void setPath(const Text &path) override;
    Text selectedName() const override;

private:
    QPointer<QListWidget> m_widget;
    QString m_path;
};

} // namespace forms::qt
