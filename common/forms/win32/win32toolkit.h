// The Win32 toolkit of the forms: builds a window from its table with the
// standard user32 and comctl32 controls, one adapter per control kind, and
// runs the message loop that gives them the dialog keys (Tab, access keys).
#pragma once

#include "view.h"

#include <windows.h>

#include <memory>

namespace forms::win32 {

// Each control of a built window is a child window whose ID is this number
// plus the control's row in the window's table, so that a program outside
// can find it with GetDlgItem.
constexpr int firstControlId = 1000;
// The ID of the named control of the table, or -1.
int controlId(const WindowSpec &window, const char *name);

class PostQueue;

class Toolkit : public forms::Toolkit
{
public:
    // dpi 0 scales the tables' 96-dpi geometry to the system's DPI.
    explicit Toolkit(int dpi = 0);
    ~Toolkit() override;
    Toolkit(const Toolkit &) = delete;
    Toolkit &operator=(const Toolkit &) = delete;

    std::unique_ptr<forms::View> build(const WindowSpec &window) override;
    void processPendingEvents() override;
    [[noreturn]] void endProcess() override;
    void post(std::function<void()> task) override;

    // Runs the message loop until WM_QUIT; answers its exit code.
    int run();
    // Handles one message as the loop does: the dialog keys for the windows
    // of this toolkit, the rest translated and dispatched.
    void dispatch(MSG &message);

    // Whether closing the last shown window posts WM_QUIT (on by default,
    // so that a program ends with its last window).
    void setQuitOnLastWindowClosed(bool quit) { m_quitOnLastWindowClosed = quit; }
    bool quitOnLastWindowClosed() const { return m_quitOnLastWindowClosed; }

    int dpi() const { return m_dpi; }
    // A length of the tables, in pixels at this toolkit's DPI.
    int scaled(int pixelsAt96) const { return MulDiv(pixelsAt96, m_dpi, 96); }
    HFONT font() const { return m_font; }

private:
    int m_dpi;
    HFONT m_font = nullptr;
    bool m_quitOnLastWindowClosed = true;
    std::unique_ptr<PostQueue> m_posted;
};

// The top-level window of a view built by this toolkit, for tests and
// screenshots; nullptr for any other view.
HWND windowOf(forms::View &view);
// The table such a view was built from; nullptr for any other view.
const WindowSpec *tableOf(forms::View &view);

} // namespace forms::win32
