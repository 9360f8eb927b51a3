// A toolkit of recording stand-ins, for testing forms without any window:
// each control keeps its state in plain members, each user action is a call,
// and message boxes are answered at once and remembered.  The contract suite
// holds these controls to the promises of the real toolkits.
#pragma once

#include "builder.h"
#include "view.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace fakes {

using forms::Text;

class View;

// What every fake control knows: its row of the table and its window.
class Part
{
public:
    Part(View &view, const forms::ControlSpec &row);

    View &view() const { return *m_view; }
    const forms::ControlSpec &row() const { return *m_row; }
    // Gives this control the window's focus.
    void focus();
    bool hasFocus() const;

protected:
    // Whether the window still lives: a handler may have destroyed it.
    forms::Watch m_alive;

private:
    View *m_view;
    const forms::ControlSpec *m_row;
};

class TextBox : public forms::TextBox, public Part
{
public:
    TextBox(View &view, const forms::ControlSpec &row);

    Text text() const override { return value; }
    void setText(const Text &text) override;
    void setFocus() override { focus(); }

    // Types the characters one by one, through the key filter: Enter (13)
    // starts a new line in a multi-line box and types nothing into a
    // one-line one, backspace (8) takes the last character back.
    void type(const Text &characters);
    // Text that arrives without keys, as a paste does.
    void paste(const Text &characters);

    Text value;
    int maxLength = 0;
    bool multiLine = false;
};

class ListBox : public forms::ListBox, public Part
{
public:
    using Part::Part;

    int count() const override { return int(items.size()); }
    Text item(int index) const override { return items.at(std::size_t(index)); }
    void addItem(const Text &text) override { items.push_back(text); }
    void insertItem(int index, const Text &text) override;
    void removeItem(int index) override;
    void clear() override;
    int currentIndex() const override { return current; }
    bool isSelected(int index) const override { return selected.count(index) != 0; }

    // A click on an entry: it becomes current and the only one selected.
    void click(int index);
    // A Ctrl-click: it becomes current and its selection toggles.
    void ctrlClick(int index);
    // The Down arrow key: the next entry becomes current and the only one
    // selected.
    void down();

    std::vector<Text> items;
    int current = -1;
    std::set<int> selected;
};

class Button : public forms::Button, public Part
{
public:
    Button(View &view, const forms::ControlSpec &row);

    Text caption() const override { return label; }
    void setCaption(const Text &caption) override { label = caption; }
    bool isEnabled() const override { return enabled; }
    // A disabled button hands the focus on to the next tab stop.
    void setEnabled(bool value) override;

    // A press: only an enabled button answers.
    void click();

    Text label;
    bool enabled = true;
};

class CheckBox : public forms::CheckBox, public Part
{
public:
    CheckBox(View &view, const forms::ControlSpec &row);

    State state() const override { return value; }
    void setState(State state) override { value = state; }
    void click() { value = value == Checked ? Unchecked : Checked; }

    Text label;
    State value = Unchecked;
};

class Label : public forms::Label, public Part
{
public:
    Label(View &view, const forms::ControlSpec &row);

    Text caption() const override { return label; }
    void setCaption(const Text &caption) override { label = caption; }

    Text label;
};

class Timer : public forms::Timer, public Part
{
public:
    Timer(View &view, const forms::ControlSpec &row);

    int interval() const override { return period; }
    void setInterval(int milliseconds) override { period = milliseconds; }
    bool isEnabled() const override { return enabled; }
    void setEnabled(bool value) override { enabled = value; }

    // One period has passed: an enabled timer with a period ticks.
    void elapse();

    int period = 0;
    bool enabled = false;
};

// The drive, folder and file lists look at the real file system, from the
// process's current folder on; tests may set their members directly.
class DriveList : public forms::DriveList, public Part
{
public:
    DriveList(View &view, const forms::ControlSpec &row);

    Text drive() const override { return shown; }
    // The user picks a drive.
    void pick(const Text &drive);

    Text shown;
};

class FolderList : public forms::FolderList, public Part
{
public:
    FolderList(View &view, const forms::ControlSpec &row);

    Text path() const override { return open; }
    // Fails for the paths in failing, and for folders that cannot be read.
    std::optional<Text> setPath(const Text &path) override;
    // The user opens a folder.
    void openFolder(const Text &path);

    // The folders shown, each with its path: from the root down to the
    // open one, indented, then its subfolders.
    std::vector<std::pair<Text, Text>> rows() const;

    Text open;
    // Paths whose opening fails, with the error's description.
    std::map<Text, Text> failing;
};

class FileList : public forms::FileList, public Part
{
public:
    FileList(View &view, const forms::ControlSpec &row);

    Text path() const override { return folder; }
    void setPath(const Text &path) override { folder = path; }
    Text selectedName() const override { return selected; }
    void doubleClick(const Text &name);

    // The ordinary files of the folder, sorted ignoring case.
    std::vector<Text> names() const;

    Text folder;
    Text selected;
};

struct ShownBox
{
    Text text;
    Text title;
    forms::BoxIcon icon;
    Text owner; // the caption of the window that showed it
};

class Toolkit;

class View : public forms::View, private forms::ControlMaker
{
public:
    View(Toolkit &toolkit, const forms::WindowSpec &spec);
    ~View() override;

    forms::Control *find(const char *name) override { return m_controls.find(name); }
    Text caption() const override { return title; }
    void setCaption(const Text &caption) override { title = caption; }
    void show() override { shown = true; }
    void bringToFront() override { ++broughtToFront; }
    void repaint() override { repainted.push_back(title); }
    void close() override;
    void messageBox(const Text &text, const Text &title, forms::BoxIcon icon) override;

    template<class T>
    T &control(const char *name)
    {
        return get<T>(name);
    }

    // Keys on the window, as the dialog keys go: Tab moves the focus to the
    // next enabled, visible tab stop (Shift+Tab to the one before); Alt
    // with a letter presses the control whose caption marks that letter.
    void tab(bool backwards = false);
    void accessKey(char16_t letter);

    const forms::WindowSpec &spec;
    Text title;
    bool shown = false;
    int broughtToFront = 0;
    // The caption at each repaint.
    std::vector<Text> repainted;
    // The row of the control that has the focus, or nullptr.
    const forms::ControlSpec *focus = nullptr;

private:
    std::unique_ptr<forms::Control> label(const forms::ControlSpec &row) override;
    std::unique_ptr<forms::Control> textBox(const forms::ControlSpec &row) override;
    std::unique_ptr<forms::Control> multiLineTextBox(const forms::ControlSpec &row) override;
    std::unique_ptr<forms::Control> listBox(const forms::ControlSpec &row) override;
    std::unique_ptr<forms::Control> button(const forms::ControlSpec &row) override;
    std::unique_ptr<forms::Control> checkBox(const forms::ControlSpec &row) override;
    std::unique_ptr<forms::Control> timer(const forms::ControlSpec &row) override;
    std::unique_ptr<forms::Control> driveList(const forms::ControlSpec &row) override;
    std::unique_ptr<forms::Control> folderList(const forms::ControlSpec &row) override;
    std::unique_ptr<forms::Control> fileList(const forms::ControlSpec &row) override;

    bool takesFocus(const forms::ControlSpec &row);

    Toolkit &m_toolkit;
    forms::Controls m_controls;
};

// Thrown by endProcess, so that a test sees the process end where it happens.
struct ProcessEnded
{
};

class Toolkit : public forms::Toolkit
{
public:
    std::unique_ptr<forms::View> build(const forms::WindowSpec &window) override;
    // Runs the posted tasks too, as the event loops do.
    void processPendingEvents() override;
    [[noreturn]] void endProcess() override;
    // Queues the task; the test runs it (runPosted), as the event loop would.
    void post(std::function<void()> task) override;

    // Runs the posted tasks, and those they post, until none is left;
    // answers how many ran.
    int runPosted();
    // Waits until a task is posted, for tests with threads of their own;
    // false when none came in time.
    bool waitForPosted(std::chrono::milliseconds timeout);
    std::size_t postedCount() const;

    // The windows built and still open, newest last.
    std::vector<View *> views;
    // Message boxes in the order they were shown, from any window.
    std::vector<ShownBox> boxes;
    // Run on every pass through pending events: what the user or a timer
    // does in the middle of a send.
    std::function<void()> pendingEvents;
    int pendingEventPasses = 0;
    // Run when a box shows, while it is open.
    std::function<void(const ShownBox &)> onBox;

    View *findView(const char *name);
    void forget(View *view);

private:
    mutable std::mutex m_postedMutex;
    std::condition_variable m_postedChanged;
    std::deque<std::function<void()>> m_posted;
};

} // namespace fakes
