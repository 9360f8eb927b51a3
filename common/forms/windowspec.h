// A window described as data: its caption, client size and controls.  Each
// toolkit builds the window from this table, so names, geometry, tab order
// and tooltips are written once.
#pragma once

#include <span>

namespace forms {

enum class Kind {
    Label,
    TextBox, // one line
    MultiLineTextBox, // Enter starts a new line; Tab moves on
    ListBox,
    Button,
    CheckBox,
    Timer, // no window
    DriveList,
    FolderList,
    FileList,
};

// Properties beyond the common ones, or-ed together.
enum Flag : unsigned {
    NoFlags = 0,
    Hidden = 1u << 0, // never shown
    ExtendedSelection = 1u << 1, // click, Shift-click and Ctrl-click select
    MenuBackground = 1u << 2, // painted in the desktop's menu colour
    Disabled = 1u << 3,
    ScrollBars = 1u << 4, // a multi-line box shows a vertical bar when needed
    InitialFocus = 1u << 5, // holds the focus when the window opens
};

struct ControlSpec
{
    const char *name;
    Kind kind;
    const char16_t *caption; // "&" marks the access key
    int left, top, width, height; // pixels at 96 dpi
    int tabIndex; // -1: not a tab stop
    const char16_t *tooltip = nullptr;
    unsigned flags = NoFlags;
    int maxLength = 0; // text boxes: characters; 0 means no limit
    int interval = 0; // timers: milliseconds
};

struct WindowSpec
{
    const char *name;
    const char16_t *caption;
    int clientWidth, clientHeight; // pixels at 96 dpi
    // The name of the window's icon among the program's resources, or
    // nullptr for none: Qt shows ":/icons/NAME.png", Win32 the icon resource
    // NAME.
    const char *icon;
    std::span<const ControlSpec> controls;
};

// The row of the named control, or nullptr.
inline const ControlSpec *findControl(const WindowSpec &window, const char *name)
{
    for (const ControlSpec &control : window.controls) {
        const char *a = control.name;
        const char *b = name;
        while (*a && *a == *b)
            ++a, ++b;
        if (*a == *b)
            return &control;
    }
    return nullptr;
}

} // namespace forms
