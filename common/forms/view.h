// A window built from its table, as a form sees it: its controls by name,
// its caption, and the services a toolkit gives a window (message boxes,
// pending events, the end of the process).
#pragma once

#include "controls.h"
#include "windowspec.h"

#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace forms {

// The icons of a message box; the numbers are those of the Windows styles.
enum class BoxIcon { Critical = 16, Exclamation = 48, Information = 64 };

// Tells whether a view still lives.
using Watch = std::weak_ptr<const void>;

class View
{
public:
    virtual ~View() = default;

    // Adapters keep a watch of their view to raise its events (see raise).
    Watch watch() const { return m_lifetime; }

    // The control of that name, or nullptr.
    virtual Control *find(const char *name) = 0;

    // The control of that name and kind.  The table and the form are written
    // together, so a missing control is a programming error: fail at once.
    template<class T>
    T &get(const char *name)
    {
        auto *control = dynamic_cast<T *>(find(name));
        if (!control)
            std::abort();
        return *control;
    }

    virtual Text caption() const = 0;
    virtual void setCaption(const Text &caption) = 0;
    virtual void show() = 0;
    // Brings a shown window in front of the others and activates it.
    virtual void bringToFront() = 0;
    // Shows what changed in the window now, without taking any input: for
    // a caption set just before the window blocks.
    virtual void repaint() = 0;
    // Closes the window as its close button does (onClose runs).
    virtual void close() = 0;

    // A modal box with one OK button, owned by this window; returns when
    // the user has closed it.
    virtual void messageBox(const Text &text, const Text &title, BoxIcon icon) = 0;

    // The user closed the window.  The form may destroy the view from here.
    std::function<void()> onClose;

protected:
    // From here on no event reaches the form: a toolkit's view calls this
    // first when it is destroyed.
    void endEvents() { m_lifetime.reset(); }

private:
    std::shared_ptr<const void> m_lifetime = std::make_shared<char>();
};

// The one rule for events, on every toolkit.  A handler may destroy the view
// whose event it answers (closing a window, say), and with the view the
// control that raised the event and the very handler being run.  So an
// event is raised only while its view lives, through a copy of the handler
// and a copy of the watch (the control's own would go with it), and the
// answer tells whether the view lives on: after false the toolkit touches
// nothing of the view or its controls.
template<class Adapter, class Owner, class Handler, class... Args>
bool raise(const Watch view, Adapter *control, Handler Owner::*event, Args &&...args)
{
    if (view.expired())
        return false;
    if (const Handler handler = control->*event)
        handler(std::forward<Args>(args)...);
    return !view.expired();
}

// A typed key through the box's key filter, by the same rule: the character
// to type (0 for none), or nullopt when the filter destroyed the view.
inline std::optional<int> raiseKey(const Watch view, TextBox *box, int key)
{
    if (view.expired())
        return std::nullopt;
    int answer = key;
    if (const auto filter = box->onKeyPress)
        answer = filter(key);
    if (view.expired())
        return std::nullopt;
    return answer;
}

class Toolkit
{
public:
    virtual ~Toolkit() = default;

    virtual std::unique_ptr<View> build(const WindowSpec &window) = 0;
    // Lets the windows repaint and take input, timers fire included.
    virtual void processPendingEvents() = 0;
    // Runs task later on the thread of the windows, in the order posted.
    // Safe to call from any thread while the toolkit lives.
    virtual void post(std::function<void()> task) = 0;
    // Ends the process at once: no question, nothing saved.
    [[noreturn]] virtual void endProcess() = 0;
};

} // namespace forms
