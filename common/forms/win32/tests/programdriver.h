// Drives a Windows program from outside its process, as a user would: finds
// its windows and controls, reads them, posts clicks and keys to them.
#pragma once

#include "win32testing.h"

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace win32testing {

inline std::wstring controlText(HWND control);

class RunningProgram
{
public:
    // Starts the program in folder, with the environment of this process.
    RunningProgram(const std::filesystem::path &program, const std::filesystem::path &folder)
    {
        std::wstring commandLine = L"\"" + program.wstring() + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started = {};
        if (::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                nullptr, folder.c_str(), &startup, &started)) {
            ::CloseHandle(started.hThread);
            m_process = started.hProcess;
            m_id = started.dwProcessId;
            ::WaitForInputIdle(m_process, 10000);
        }
    }
    ~RunningProgram()
    {
        if (!m_process)
            return;
        if (::WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT)
            ::TerminateProcess(m_process, 99);
        ::CloseHandle(m_process);
    }
    RunningProgram(const RunningProgram &) = delete;
    RunningProgram &operator=(const RunningProgram &) = delete;

    bool started() const { return m_process != nullptr; }
    bool running() const
    {
        return m_process && ::WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT;
    }

    // Waits until the condition holds, the program ends or the time is up;
    // answers the condition.  The program's state is looked at between short
    // waits on its end.
    bool waitUntil(const std::function<bool()> &condition,
        std::chrono::milliseconds timeout = std::chrono::seconds(10)) const
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!condition()) {
            if (std::chrono::steady_clock::now() >= deadline || !running())
                return condition();
            ::WaitForSingleObject(m_process, 10);
        }
        return true;
    }

    // The exit code, once the program has ended within the time.
    std::optional<DWORD> waitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(10))
    {
        if (!m_process || ::WaitForSingleObject(m_process, DWORD(timeout.count())) != WAIT_OBJECT_0)
            return std::nullopt;
        DWORD code = 0;
        ::GetExitCodeProcess(m_process, &code);
        return code;
    }

    // A visible top-level window of the program with that class and title
    // (any title when empty).
    HWND window(const std::wstring &type, const std::wstring &title = {}) const
    {
        struct Search
        {
            DWORD id;
            const std::wstring &type;
            const std::wstring &title;
            HWND found;
        } search {m_id, type, title, nullptr};
        ::EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                auto &s = *reinterpret_cast<Search *>(data);
                DWORD owner = 0;
                ::GetWindowThreadProcessId(window, &owner);
                if (owner != s.id || !::IsWindowVisible(window) || className(window) != s.type
                    || (!s.title.empty() && controlText(window) != s.title))
                    return TRUE;
                s.found = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    HWND waitForWindow(const std::wstring &type, const std::wstring &title = {},
        std::chrono::milliseconds timeout = std::chrono::seconds(10)) const
    {
        HWND found = nullptr;
        waitUntil([&] { return (found = window(type, title)) != nullptr; }, timeout);
        return found;
    }

private:
    HANDLE m_process = nullptr;
    DWORD m_id = 0;
};

// The text of a control of another process (GetWindowText would answer the
// text it was created with).
inline std::wstring controlText(HWND control)
{
    std::wstring text(std::size_t(::SendMessageW(control, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    text.resize(std::size_t(::SendMessageW(
        control, WM_GETTEXT, WPARAM(text.size()), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

// Waits until the file exists, watching its folder.
inline bool waitForFile(
    const std::filesystem::path &path, std::chrono::milliseconds timeout = std::chrono::seconds(10))
{
    const HANDLE change = ::FindFirstChangeNotificationW(
        path.parent_path().c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    bool found = std::filesystem::exists(path);
    while (!found && change != INVALID_HANDLE_VALUE) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || ::WaitForSingleObject(change, DWORD(left.count())) != WAIT_OBJECT_0
            || !::FindNextChangeNotification(change)) {
            found = std::filesystem::exists(path);
            break;
        }
        found = std::filesystem::exists(path);
    }
    if (change != INVALID_HANDLE_VALUE)
        ::FindCloseChangeNotification(change);
    return found;
}

// The entries of a list box of another process.
inline std::vector<std::wstring> listItems(HWND list)
{
    std::vector<std::wstring> items;
    const LRESULT count = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring item(
            std::size_t(::SendMessageW(list, LB_GETTEXTLEN, WPARAM(i), 0)) + 1, L'\0');
        const LRESULT length
            = ::SendMessageW(list, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(item.data()));
        item.resize(length < 0 ? 0 : std::size_t(length));
        items.push_back(item);
    }
    return items;
}

// A message box as it shows: its title and text.  (Its icon cannot be told
// from outside: under Wine each process has handles of its own for the
// system's icons.)
struct BoxSeen
{
    std::wstring title;
    std::wstring text;
};

inline BoxSeen readBox(HWND box)
{
    return {controlText(box), controlText(::GetDlgItem(box, 0xFFFF))};
}

// Presses the box's OK button.
inline void answerBox(HWND box)
{
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
}

} // namespace win32testing
