// A toolkit of recording stand-ins, for testing forms without any window:
// each control keeps its state in plain members, each user action is a call,
// and message boxes are answered at once and remembered.
#pragma once

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

class TextBox : public forms::TextBox
{
public:
    Text text() const override { return value; }
    void setText(const Text &text) override;
    void setFocus() override { focused = true; }

    // Types the characters one by one, through the key filter.
    void type(const Text &characters);
    // Text that arrives without keys, as a paste does.
    void paste(const Text &characters);

    Text value;
    int maxLength = 0;
    bool focused = false;
};

class ListBox : public forms::ListBox
{
public:
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

    std::vector<Text> items;
    int current = -1;
    std::set<int> selected;
};

class Button : public forms::Button
{
public:
    Text caption() const override { return label; }
    void setCaption(const Text &caption) override { label = caption; }
    bool isEnabled() const override { return enabled; }
    void setEnabled(bool value) override { enabled = value; }

    // A press: only an enabled button answers.
    void click();

    Text label;
    bool enabled = true;
};

class CheckBox : public forms::CheckBox
{
public:
    State state() const override { return value; }
    void setState(State state) override { value = state; }
    void click() { value = value == Checked ? Unchecked : Checked; }

    State value = Unchecked;
};

class Label : public forms::Label
{
public:
    Text caption() const override { return label; }
    void setCaption(const Text &caption) override { label = caption; }

    Text label;
};

class Timer : public forms::Timer
{
public:
    int interval() const override { return period; }
    void setInterval(int milliseconds) override { period = milliseconds; }
    bool isEnabled() const override { return enabled; }
    void setEnabled(bool value) override { enabled = value; }

    // One period has passed: an enabled timer ticks.
    void elapse();

    int period = 0;
    bool enabled = false;
};

class DriveList : public forms::DriveList
{
public:
    Text drive() const override { return shown; }
    // The user picks a drive.
    void pick(const Text &drive);

    Text shown;
};

class FolderList : public forms::FolderList
{
public:
    Text path() const override { return open; }
    std::optional<Text> setPath(const Text &path) override;
    // The user opens a folder.
    void openFolder(const Text &path);

    Text open;
    // Paths whose opening fails, with the error's description.
    std::map<Text, Text> failing;
};

class FileList : public forms::FileList
{
public:
    Text path() const override { return folder; }
    void setPath(const Text &path) override { folder = path; }
    Text selectedName() const override { return selected; }
    void doubleClick(const Text &name);

    Text folder;
    Text selected;
};

struct ShownBox
{
    Text text;
    Text title;
    forms::BoxIcon icon;
};

class Toolkit;

class View : public forms::View
{
public:
    View(Toolkit &toolkit, const forms::WindowSpec &spec);

    forms::Control *find(const char *name) override;
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

    const forms::WindowSpec &spec;
    Text title;
    bool shown = false;
    int broughtToFront = 0;
    // The caption at each repaint.
    std::vector<Text> repainted;

private:
    Toolkit &m_toolkit;
    std::map<std::string, std::unique_ptr<forms::Control>> m_controls;
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
