// What the toolkit contract suite asks of a toolkit under test: its Toolkit,
// the user's hands (click, type, keys, list picks, the close button), the
// event loop, and eyes that read the widgets themselves rather than the
// adapters.  Each toolkit has one driver; the suite is written once.
#pragma once

#include "view.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace contract {

using forms::Text;

enum class Key { Enter, KeypadEnter, Space, Tab, Backtab, Down, Backspace };

struct Rect
{
    int left, top, width, height;

    bool operator==(const Rect &) const = default;
};

// A message box as it showed; the suite's boxes are answered with OK.
struct Box
{
    Text text;
    Text title;
    forms::BoxIcon icon;
    int buttons; // how many buttons it had
    Text owner; // the caption of the window it belonged to

    bool operator==(const Box &) const = default;
};

class Driver
{
public:
    virtual ~Driver() = default;

    virtual forms::Toolkit &toolkit() = 0;

    // ---- the user ------------------------------------------------------------
    // Shows the window and waits until it is the active one.
    virtual void show(forms::View &view) = 0;
    // A mouse click on a button or a check box.
    virtual void click(forms::View &view, const char *name) = 0;
    // Gives the control the focus, then types each character; '\r' is the
    // Enter key.
    virtual void type(forms::View &view, const char *name, const Text &characters) = 0;
    // Gives the control the focus, then presses the key.
    virtual void press(forms::View &view, const char *name, Key key) = 0;
    // A mouse click on an entry of a list, with Ctrl held when asked.
    virtual void pick(forms::View &view, const char *name, int row, bool ctrl = false) = 0;
    // A double click on an entry of a folder or file list.
    virtual void doubleClick(forms::View &view, const char *name, int row) = 0;
    // Alt with the letter, to the control that has the focus.
    virtual void accessKey(forms::View &view, char16_t letter) = 0;
    // The close button of the window's title bar.
    virtual void closeButton(forms::View &view) = 0;

    // Lets the pending events run (timers included) until the condition
    // holds; false when it did not within a few seconds.
    virtual bool waitUntil(const std::function<bool()> &condition) = 0;
    // Lets what is pending run, and what it queues in turn, without
    // waiting for more.
    virtual void settle() = 0;

    // ---- the screen ----------------------------------------------------------
    virtual Text caption(forms::View &view) = 0;
    virtual Rect clientArea(forms::View &view) = 0;
    // A fixed border with a close button and neither minimise nor maximise.
    virtual bool fixedFrame(forms::View &view) = 0;
    virtual bool hasIcon(forms::View &view) = 0;
    virtual bool shown(forms::View &view) = 0;
    // The name of the control with the focus, or empty.
    virtual std::string focus(forms::View &view) = 0;

    // Of the named control:
    virtual Rect placement(forms::View &view, const char *name) = 0;
    // The text it shows: a caption, or what a text box holds.
    virtual Text text(forms::View &view, const char *name) = 0;
    virtual Text tooltip(forms::View &view, const char *name) = 0;
    virtual bool visible(forms::View &view, const char *name) = 0;
    virtual bool enabled(forms::View &view, const char *name) = 0;
    // The entries a list shows.
    virtual std::vector<Text> rows(forms::View &view, const char *name) = 0;
    // A text box's limit on typing, 0 for none.
    virtual int maxLength(forms::View &view, const char *name) = 0;
    // A list that selects with Shift and Ctrl as well.
    virtual bool extendedSelection(forms::View &view, const char *name) = 0;
    // A list painted in the menu colour.
    virtual bool menuBackground(forms::View &view, const char *name) = 0;
    // A multi-line box with a vertical scroll bar when needed.
    virtual bool scrollBars(forms::View &view, const char *name) = 0;
    // A caption fits on one line of the control, in its font.
    virtual bool captionFits(forms::View &view, const char *name) = 0;

    // The message boxes shown since the driver was made, in order; each
    // was answered with OK.
    virtual std::vector<Box> boxes() = 0;
};

// The driver of the toolkit this suite was built for.
std::unique_ptr<Driver> makeDriver();

} // namespace contract
