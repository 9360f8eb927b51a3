// Checks of a window built by the Win32 toolkit against its table, and the
// real platform with the program's folder moved, for the tests of the
// programs' windows.
#pragma once

#include "system.h"
#include "win32testing.h"
#include "win32toolkit.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace win32testing {

// The real platform, with the program's folder moved to the test's own.
class FolderSystem : public forms::System
{
public:
    std::u16string programFolder() override { return folder; }
    std::u16string folder;
};

inline std::u16string native(const std::filesystem::path &path)
{
    const std::wstring wide = path.wstring();
    return std::u16string(wide.begin(), wide.end());
}

inline std::wstring wide(const char16_t *text)
{
    return std::wstring(text, text + std::char_traits<char16_t>::length(text));
}

inline const wchar_t *classOf(forms::Kind kind)
{
    switch (kind) {
    case forms::Kind::Label:
        return L"Static";
    case forms::Kind::TextBox:
    case forms::Kind::MultiLineTextBox:
        return L"Edit";
    case forms::Kind::ListBox:
    case forms::Kind::FolderList:
    case forms::Kind::FileList:
        return L"ListBox";
    case forms::Kind::Button:
    case forms::Kind::CheckBox:
        return L"Button";
    case forms::Kind::DriveList:
        return L"ComboBox";
    case forms::Kind::Timer:
        break;
    }
    return L"";
}

// Tab reaches it in a window fresh from its table.
inline bool takesFocus(const forms::ControlSpec &row)
{
    return row.kind != forms::Kind::Label && row.kind != forms::Kind::Timer
        && !(row.flags & (forms::Hidden | forms::Disabled));
}

// The width of a caption in the control's font, access key marks left out.
inline int captionWidth(HWND control)
{
    std::wstring caption = text(control);
    for (std::size_t at = caption.find(L'&'); at != std::wstring::npos;
         at = caption.find(L'&', at + 1))
        caption.erase(at, 1);
    const HDC dc = ::GetDC(control);
    const HGDIOBJ previous
        = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE size = {};
    ::GetTextExtentPoint32W(dc, caption.c_str(), int(caption.size()), &size);
    ::SelectObject(dc, previous);
    ::ReleaseDC(control, dc);
    return size.cx;
}

inline std::map<std::wstring, std::wstring> tooltipsOf(HWND window)
{
    std::map<std::wstring, std::wstring> found;
    for (HWND tip = nullptr; (tip = ::FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr));) {
        if (::GetWindow(tip, GW_OWNER) != window)
            continue;
        const int count = int(::SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t buffer[80] = {};
            TTTOOLINFOW tool = {};
            tool.cbSize = TTTOOLINFOW_V2_SIZE;
            tool.lpszText = buffer;
            ::SendMessageW(tip, TTM_ENUMTOOLSW, WPARAM(i), reinterpret_cast<LPARAM>(&tool));
            found[text(reinterpret_cast<HWND>(tool.uId))] = buffer;
        }
    }
    return found;
}

// Checks a built window against its table: frame, client size, each
// control's class, place and visibility, tooltips, the focus at the start
// and the way Tab walks the controls.
inline void expectBuiltAsTable(
    forms::win32::Toolkit &toolkit, forms::View &view, const forms::WindowSpec &spec)
{
    const HWND window = forms::win32::windowOf(view);
    ASSERT_TRUE(window);
    EXPECT_EQ(text(window),
        std::wstring(
            spec.caption, spec.caption + std::char_traits<char16_t>::length(spec.caption)));
    RECT client;
    ::GetClientRect(window, &client);
    EXPECT_EQ(client.right, spec.clientWidth);
    EXPECT_EQ(client.bottom, spec.clientHeight);
    const LONG frame = style(window);
    EXPECT_EQ(frame & WS_CAPTION, WS_CAPTION);
    EXPECT_TRUE(frame & WS_SYSMENU);
    EXPECT_FALSE(frame & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));

    std::map<std::wstring, std::wstring> tooltips;
    std::vector<const forms::ControlSpec *> tabOrder;
    const forms::ControlSpec *initial = nullptr;
    for (const forms::ControlSpec &row : spec.controls) {
        SCOPED_TRACE(row.name);
        if (row.kind == forms::Kind::Timer) {
            EXPECT_TRUE(dynamic_cast<forms::Timer *>(view.find(row.name)));
            continue;
        }
        const HWND child = control(view, spec, row.name);
        ASSERT_TRUE(child);
        EXPECT_EQ(className(child), classOf(row.kind));
        const RECT at = placement(child);
        EXPECT_EQ(at.left, row.left);
        EXPECT_EQ(at.top, row.top);
        EXPECT_EQ(at.right - at.left, row.width);
        EXPECT_EQ(at.bottom - at.top, row.height);
        EXPECT_EQ(::IsWindowVisible(child) != FALSE, !(row.flags & forms::Hidden));
        // Captions fit on one line: a label would wrap the rest out of sight.
        if (row.kind == forms::Kind::Label || row.kind == forms::Kind::Button) {
            RECT client;
            ::GetClientRect(child, &client);
            EXPECT_LE(captionWidth(child), client.right) << text(child).c_str();
        }
        if (row.tooltip)
            tooltips[text(child)] = std::wstring(
                row.tooltip, row.tooltip + std::char_traits<char16_t>::length(row.tooltip));
        if (takesFocus(row))
            tabOrder.push_back(&row);
        if (row.flags & forms::InitialFocus)
            initial = &row;
    }
    EXPECT_EQ(tooltipsOf(window), tooltips);

    ASSERT_TRUE(initial);
    EXPECT_EQ(::GetFocus(), control(view, spec, initial->name));
    std::stable_sort(tabOrder.begin(), tabOrder.end(),
        [](const auto *a, const auto *b) { return a->tabIndex < b->tabIndex; });
    std::vector<std::string> expected, walked;
    for (const auto *row : tabOrder)
        expected.push_back(row->name);
    expected.push_back(tabOrder.front()->name);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const HWND focus = ::GetFocus();
        const forms::ControlSpec *row = nullptr;
        for (const forms::ControlSpec &candidate : spec.controls) {
            if (control(view, spec, candidate.name) == focus
                && candidate.kind != forms::Kind::Timer)
                row = &candidate;
        }
        walked.push_back(row ? row->name : "?");
        pressKey(focus, VK_TAB);
        pumpUntil(toolkit, [&] { return ::GetFocus() != focus; });
    }
    EXPECT_EQ(walked, expected);
}

} // namespace win32testing
