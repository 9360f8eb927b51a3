// A window built from its table, as a form sees it: its controls by name,
// its caption, and the services a toolkit gives a window (message boxes,
// pending events, the end of the process).
#pragma once

#include "controls.h"
#include "windowspec.h"

#include <cstdlib>
#include <functional>
#include <memory>

namespace forms {

// The icons of a message box; the numbers are those of the Windows styles.
enum class BoxIcon { Critical = 16, Exclamation = 48, Information = 64 };

class View
{
public:
    virtual ~View() = default;

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
};

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
