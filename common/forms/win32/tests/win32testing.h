// Helpers for the tests of windows built by the Win32 toolkit: their child
// controls by name, user input as the window's messages, waiting on the
// message queue, and the message boxes a test provokes.
#pragma once

#include "win32toolkit.h"

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace win32testing {

// The child window of the named control; nullptr when there is none.
inline HWND control(forms::View &view, const forms::WindowSpec &spec, const char *name)
{
    const int id = forms::win32::controlId(spec, name);
    return id < 0 ? nullptr : ::GetDlgItem(forms::win32::windowOf(view), id);
}

inline std::wstring className(HWND window)
{
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

inline std::wstring text(HWND window)
{
    std::wstring text(std::size_t(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(std::size_t(::GetWindowTextW(window, text.data(), int(text.size()))));
    return text;
}

// A child's rectangle in its parent's client coordinates.
inline RECT placement(HWND child)
{
    RECT rect;
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT *>(&rect), 2);
    return rect;
}

inline LONG style(HWND window)
{
    return LONG(::GetWindowLongPtrW(window, GWL_STYLE));
}

// Lets the toolkit handle what is queued, then waits for more until the
// condition holds or the time is up.  Answers the condition.
inline bool pumpUntil(forms::win32::Toolkit &toolkit, const std::function<bool()> &condition,
    std::chrono::milliseconds timeout = std::chrono::seconds(5))
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        toolkit.processPendingEvents();
        if (condition())
            return true;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(left.count()), QS_ALLINPUT);
    }
}

// Queued input, as the keyboard would queue it for the focused control.
inline void pressKey(HWND target, WPARAM key)
{
    ::PostMessageW(target, WM_KEYDOWN, key, 1);
    ::PostMessageW(target, WM_KEYUP, key, LPARAM(1 | 3u << 30));
}

inline void typeText(HWND target, const std::wstring &characters)
{
    for (const wchar_t c : characters)
        ::PostMessageW(target, WM_CHAR, WPARAM(c), 1);
}

// Alt with a letter: the access key of a control.
inline void pressAccessKey(HWND target, wchar_t letter)
{
    ::PostMessageW(target, WM_SYSCHAR, WPARAM(letter), LPARAM(1 | 1u << 29));
}

// A mouse click at a point of a window's client area.
inline void click(HWND target, POINT at, WPARAM keys = 0)
{
    ::PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(at.x, at.y));
    ::PostMessageW(target, WM_LBUTTONUP, keys, MAKELPARAM(at.x, at.y));
}

inline POINT listItemCentre(HWND list, int index)
{
    RECT item = {};
    ::SendMessageW(list, LB_GETITEMRECT, WPARAM(index), reinterpret_cast<LPARAM>(&item));
    return {(item.left + item.right) / 2, (item.top + item.bottom) / 2};
}

// The icon of a message box of this process, as its style number: 16 stop,
// 48 exclamation, 64 information, 0 none.
inline int boxIcon(HWND box)
{
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (className(child) != L"Static" || (style(child) & SS_TYPEMASK) != SS_ICON)
            continue;
        const auto icon = reinterpret_cast<HICON>(::SendMessageW(child, STM_GETICON, 0, 0));
        if (icon == ::LoadIconW(nullptr, IDI_HAND))
            return MB_ICONHAND;
        if (icon == ::LoadIconW(nullptr, IDI_EXCLAMATION))
            return MB_ICONEXCLAMATION;
        if (icon == ::LoadIconW(nullptr, IDI_ASTERISK))
            return MB_ICONASTERISK;
    }
    return 0;
}

// A message box as it showed.
struct ShownBox
{
    std::wstring title;
    std::wstring text;
    // 16 stop, 48 exclamation, 64 information, 0 none found.
    int icon = 0;
    int buttons = 0;
    bool hasOk = false;
    HWND owner = nullptr;
};

// Closes each message box of this thread as it opens, with OK, after
// recording it.  One at a time per thread.
class BoxWatcher
{
public:
    BoxWatcher()
    {
        current() = this;
        m_hook = ::SetWindowsHookExW(WH_CBT, &BoxWatcher::hook, nullptr, ::GetCurrentThreadId());
    }
    ~BoxWatcher()
    {
        if (m_hook)
            ::UnhookWindowsHookEx(m_hook);
        current() = nullptr;
    }
    BoxWatcher(const BoxWatcher &) = delete;
    BoxWatcher &operator=(const BoxWatcher &) = delete;

    std::vector<ShownBox> boxes;
    // Runs while the box is open, before it is closed.
    std::function<void(const ShownBox &)> whileOpen;

private:
    static BoxWatcher *&current()
    {
        static thread_local BoxWatcher *watcher = nullptr;
        return watcher;
    }

    static LRESULT CALLBACK hook(int code, WPARAM wParam, LPARAM lParam)
    {
        BoxWatcher *watcher = current();
        const auto window = reinterpret_cast<HWND>(wParam);
        if (code == HCBT_ACTIVATE && watcher && className(window) == L"#32770"
            && window != watcher->m_last) {
            // Activated again (after an owned window, say): seen already.
            watcher->m_last = window;
            ShownBox box;
            box.title = text(window);
            box.text = text(::GetDlgItem(window, 0xFFFF));
            box.icon = boxIcon(window);
            for (HWND child = ::GetWindow(window, GW_CHILD); child;
                 child = ::GetWindow(child, GW_HWNDNEXT)) {
                if (className(child) == L"Button")
                    ++box.buttons;
            }
            box.hasOk = ::GetDlgItem(window, IDOK) != nullptr;
            box.owner = ::GetWindow(window, GW_OWNER);
            watcher->boxes.push_back(box);
            if (watcher->whileOpen)
                watcher->whileOpen(box);
            ::PostMessageW(window, WM_COMMAND, IDOK, 0);
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }

    HHOOK m_hook = nullptr;
    HWND m_last = nullptr;
};

} // namespace win32testing
