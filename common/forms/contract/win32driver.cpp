// The contract suite's driver for the Win32 toolkit, under Wine: the user's
// actions are the messages the mouse and the keyboard would queue for the
// standard controls, and what the window shows is read from the controls.
#include "driver.h"
#include "win32controls.h"
#include "win32testing.h"
#include "win32toolkit.h"

#include <commctrl.h>

#include <stdexcept>

namespace contract {

namespace {

using namespace win32testing;
namespace win32 = forms::win32;

class Win32Driver : public Driver
{
public:
    Win32Driver() { m_toolkit.setQuitOnLastWindowClosed(false); }

    forms::Toolkit &toolkit() override { return m_toolkit; }

    void show(forms::View &view) override
    {
        view.show();
        pumpUntil(m_toolkit, [&] { return ::GetActiveWindow() == window(view); });
    }
    void click(forms::View &view, const char *name) override
    {
        // Mouse input never reaches a disabled control.
        const HWND target = control(view, name);
        if (::IsWindowEnabled(target))
            ::SendMessageW(target, BM_CLICK, 0, 0);
        settle();
    }
    void type(forms::View &view, const char *name, const Text &characters) override
    {
        const HWND target = control(view, name);
        focusAtTheEnd(target);
        for (const char16_t c : characters) {
            // A handler may have closed the window.
            if (!::IsWindow(target))
                return;
            // The character of Enter joins the queue only when its key is
            // handled: each key in turn.
            if (c == u'\r')
                pressKey(target, VK_RETURN);
            else
                ::PostMessageW(target, WM_CHAR, WPARAM(c), 1);
            settle();
        }
    }
    void press(forms::View &view, const char *name, Key key) override
    {
        const HWND target = control(view, name);
        focusAtTheEnd(target);
        switch (key) {
        case Key::Enter:
            pressKey(target, VK_RETURN);
            break;
        case Key::KeypadEnter:
            // VK_RETURN from the keypad: an extended key.
            ::PostMessageW(target, WM_KEYDOWN, VK_RETURN, LPARAM(1 | 1u << 24));
            ::PostMessageW(target, WM_KEYUP, VK_RETURN, LPARAM(1 | 1u << 24 | 3u << 30));
            break;
        case Key::Space:
            pressKey(target, VK_SPACE);
            break;
        case Key::Tab:
            pressKey(target, VK_TAB);
            break;
        case Key::Backtab: {
            // The dialog keys read Shift from the keyboard state.
            BYTE keys[256] = {};
            ::GetKeyboardState(keys);
            keys[VK_SHIFT] = 0x80;
            ::SetKeyboardState(keys);
            pressKey(target, VK_TAB);
            settle();
            keys[VK_SHIFT] = 0;
            ::SetKeyboardState(keys);
            break;
        }
        case Key::Down:
            pressKey(target, VK_DOWN);
            break;
        case Key::Backspace:
            ::PostMessageW(target, WM_CHAR, WPARAM(8), 1);
            break;
        }
        settle();
    }
    void pick(forms::View &view, const char *name, int row, bool ctrl) override
    {
        const HWND list = control(view, name);
        win32testing::click(list, listItemCentre(list, row), ctrl ? MK_CONTROL : 0);
        settle();
    }
    void doubleClick(forms::View &view, const char *name, int row) override
    {
        const HWND list = control(view, name);
        const POINT at = listItemCentre(list, row);
        const LPARAM where = MAKELPARAM(at.x, at.y);
        ::PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, where);
        ::PostMessageW(list, WM_LBUTTONUP, 0, where);
        ::PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, where);
        ::PostMessageW(list, WM_LBUTTONUP, 0, where);
        settle();
    }
    void accessKey(forms::View &view, char16_t letter) override
    {
        const HWND focus = ::GetFocus();
        pressAccessKey(focus ? focus : window(view), wchar_t(letter));
        settle();
    }
    void closeButton(forms::View &view) override
    {
        ::PostMessageW(window(view), WM_SYSCOMMAND, SC_CLOSE, 0);
        settle();
    }

    bool waitUntil(const std::function<bool()> &condition) override
    {
        return pumpUntil(m_toolkit, condition);
    }
    void settle() override
    {
        for (int pass = 0; pass < 3; ++pass)
            m_toolkit.processPendingEvents();
    }

    Text caption(forms::View &view) override { return fromWide(win32testing::text(window(view))); }
    Rect clientArea(forms::View &view) override
    {
        RECT client;
        ::GetClientRect(window(view), &client);
        return {client.left, client.top, client.right - client.left, client.bottom - client.top};
    }
    bool fixedFrame(forms::View &view) override
    {
        const LONG frame = style(window(view));
        return (frame & WS_CAPTION) == WS_CAPTION && (frame & WS_SYSMENU)
            && !(frame & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    }
    bool hasIcon(forms::View &view) override
    {
        return ::SendMessageW(window(view), WM_GETICON, ICON_BIG, 0)
            && ::SendMessageW(window(view), WM_GETICON, ICON_SMALL, 0);
    }
    bool shown(forms::View &view) override { return ::IsWindowVisible(window(view)); }
    std::string focus(forms::View &view) override
    {
        const HWND focused = ::GetFocus();
        if (!focused || ::GetParent(focused) != window(view))
            return {};
        const auto row = std::size_t(::GetDlgCtrlID(focused) - win32::firstControlId);
        const forms::WindowSpec &spec = table(view);
        return row < spec.controls.size() ? spec.controls[row].name : "?";
    }

    Rect placement(forms::View &view, const char *name) override
    {
        const RECT at = win32testing::placement(control(view, name));
        return {at.left, at.top, at.right - at.left, at.bottom - at.top};
    }
    Text text(forms::View &view, const char *name) override
    {
        return fromWide(win32testing::text(control(view, name)));
    }
    Text tooltip(forms::View &view, const char *name) override
    {
        const HWND target = control(view, name);
        for (HWND tip = nullptr; (tip = ::FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr));) {
            if (::GetWindow(tip, GW_OWNER) != window(view))
                continue;
            const int count = int(::SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0));
            for (int i = 0; i < count; ++i) {
                wchar_t buffer[256] = {};
                TTTOOLINFOW tool = {};
                tool.cbSize = TTTOOLINFOW_V2_SIZE;
                tool.lpszText = buffer;
                ::SendMessageW(tip, TTM_ENUMTOOLSW, WPARAM(i), reinterpret_cast<LPARAM>(&tool));
                if (reinterpret_cast<HWND>(tool.uId) == target)
                    return fromWide(buffer);
            }
        }
        return {};
    }
    bool visible(forms::View &view, const char *name) override
    {
        return style(control(view, name)) & WS_VISIBLE;
    }
    bool enabled(forms::View &view, const char *name) override
    {
        return ::IsWindowEnabled(control(view, name));
    }
    std::vector<Text> rows(forms::View &view, const char *name) override
    {
        const HWND list = control(view, name);
        std::vector<Text> shown;
        const int count = int(::SendMessageW(list, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            std::wstring row(
                std::size_t(::SendMessageW(list, LB_GETTEXTLEN, WPARAM(i), 0)) + 1, L'\0');
            row.resize(std::size_t(
                ::SendMessageW(list, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(row.data()))));
            shown.push_back(fromWide(row));
        }
        return shown;
    }
    int maxLength(forms::View &view, const char *name) override
    {
        // EM_LIMITTEXT 0 lifts the limit to the most the control holds.
        const auto limit = ::SendMessageW(control(view, name), EM_GETLIMITTEXT, 0, 0);
        return limit >= 0x7ffffffe ? 0 : int(limit);
    }
    bool extendedSelection(forms::View &view, const char *name) override
    {
        return style(control(view, name)) & LBS_EXTENDEDSEL;
    }
    bool menuBackground(forms::View &view, const char *name) override
    {
        const HDC dc = ::CreateCompatibleDC(nullptr);
        const auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(window(view), WM_CTLCOLORLISTBOX,
            reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control(view, name))));
        const bool menu = brush == ::GetSysColorBrush(COLOR_MENU)
            && ::GetBkColor(dc) == ::GetSysColor(COLOR_MENU);
        ::DeleteDC(dc);
        return menu;
    }
    bool scrollBars(forms::View &view, const char *name) override
    {
        return style(control(view, name)) & WS_VSCROLL;
    }

    bool captionFits(forms::View &view, const char *name) override
    {
        const HWND target = control(view, name);
        std::wstring caption = win32testing::text(target);
        std::erase(caption, L'&');
        const HDC dc = ::GetDC(target);
        const HGDIOBJ previous
            = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(target, WM_GETFONT, 0, 0)));
        SIZE size = {};
        ::GetTextExtentPoint32W(dc, caption.c_str(), int(caption.size()), &size);
        ::SelectObject(dc, previous);
        ::ReleaseDC(target, dc);
        RECT client;
        ::GetClientRect(target, &client);
        return size.cx <= client.right;
    }

    std::vector<Box> boxes() override
    {
        std::vector<Box> shown;
        for (const ShownBox &box : m_watcher.boxes)
            shown.push_back({fromWide(box.text), fromWide(box.title), forms::BoxIcon(box.icon),
                box.buttons, fromWide(win32testing::text(box.owner))});
        return shown;
    }

private:
    static Text fromWide(const std::wstring &text) { return win32::fromWide(text); }
    // The focus, with the caret after the text of a box, as a click there
    // would leave it.
    static void focusAtTheEnd(HWND control)
    {
        ::SetFocus(control);
        if (className(control) == L"Edit") {
            const int end = ::GetWindowTextLengthW(control);
            ::SendMessageW(control, EM_SETSEL, WPARAM(end), LPARAM(end));
        }
    }
    static HWND window(forms::View &view)
    {
        const HWND top = win32::windowOf(view);
        if (!top)
            throw std::runtime_error("not a window of the Win32 toolkit");
        return top;
    }
    static const forms::WindowSpec &table(forms::View &view)
    {
        window(view);
        return *win32::tableOf(view);
    }
    // A missing control fails the test, rather than crashing it.
    static HWND control(forms::View &view, const char *name)
    {
        const HWND found = win32testing::control(view, table(view), name);
        if (!found)
            throw std::runtime_error(std::string("no control ") + name);
        return found;
    }

    win32::Toolkit m_toolkit;
    BoxWatcher m_watcher;
};

} // namespace

std::unique_ptr<Driver> makeDriver()
{
    return std::make_unique<Win32Driver>();
}

} // namespace contract
