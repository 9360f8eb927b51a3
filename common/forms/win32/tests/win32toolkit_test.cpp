// What only the Win32 toolkit promises, under Wine: the standard controls
// and styles of each kind, scaling with the DPI, the focus coming back with
// the window, the message loop, the drive list's texts and the files that
// Windows' attributes hide.  The contract of all toolkits is the contract
// suite's (common/forms/contract).
#include "rows.h"
#include "samplewindows.h"
#include "tempfolder.h"
#include "win32controls.h"
#include "win32testing.h"
#include "win32toolkit.h"
#include "windowchecks.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace forms;
using namespace win32testing;

namespace {

using samplewindows::picker;
using samplewindows::sample;
using samplewindows::sampleControls;

class Win32Forms : public testing::Test
{
protected:
    Win32Forms()
    {
        toolkit.setQuitOnLastWindowClosed(false);
        view = toolkit.build(sample);
        window = win32::windowOf(*view);
    }

    HWND child(const char *name) { return control(*view, sample, name); }
    void show()
    {
        view->show();
        pumpUntil(toolkit, [&] { return ::GetActiveWindow() == window; });
    }
    void pump() { toolkit.processPendingEvents(); }

    win32::Toolkit toolkit;
    std::unique_ptr<View> view;
    HWND window = nullptr;
};

// One row per control kind: the class and the styles that give it its
// behaviour.
struct Built
{
    const char *name;
    const wchar_t *className;
    LONG styles; // all of these
    LONG absent; // none of these
};

class Win32Controls : public Win32Forms, public testing::WithParamInterface<Built>
{
};

TEST_P(Win32Controls, FromTable)
{
    const Built &expected = GetParam();
    const HWND control = child(expected.name);
    ASSERT_TRUE(control) << expected.name;
    EXPECT_EQ(className(control), expected.className);
    EXPECT_EQ(style(control) & expected.styles, expected.styles);
    EXPECT_EQ(style(control) & expected.absent, 0);
    EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)), toolkit.font());
}

INSTANTIATE_TEST_SUITE_P(Kinds, Win32Controls,
    testing::Values(Built {"lblName", L"Static", SS_LEFT, WS_TABSTOP},
        Built {"txtName", L"Edit", WS_TABSTOP | ES_AUTOHSCROLL, ES_MULTILINE},
        Built {"txtNotes", L"Edit", WS_TABSTOP | ES_MULTILINE | ES_WANTRETURN,
            WS_VSCROLL | WS_HSCROLL | ES_AUTOHSCROLL},
        Built {"lstItems", L"ListBox", WS_TABSTOP | LBS_EXTENDEDSEL | LBS_NOTIFY, 0},
        Built {"lstHidden", L"ListBox", LBS_NOTIFY, LBS_EXTENDEDSEL},
        Built {"lstMenu", L"ListBox", WS_TABSTOP | LBS_NOTIFY, LBS_EXTENDEDSEL},
        Built {"cmdGo", L"Button", WS_TABSTOP | BS_PUSHBUTTON, BS_DEFPUSHBUTTON},
        Built {"chkFlag", L"Button", WS_TABSTOP | BS_3STATE, 0}),
    testsupport::RowName());

TEST_F(Win32Forms, CheckBoxIsNotAutomatic)
{
    // BS_AUTO3STATE would cycle into grey by itself.
    EXPECT_EQ(style(child("chkFlag")) & BS_TYPEMASK, BS_3STATE);
}

TEST(Win32Scaling, GeometryFollowsTheDpi)
{
    win32::Toolkit toolkit(144);
    const auto view = toolkit.build(sample);
    const HWND window = win32::windowOf(*view);
    RECT client;
    ::GetClientRect(window, &client);
    EXPECT_EQ(client.right, 450);
    EXPECT_EQ(client.bottom, 300);
    const RECT at = placement(control(*view, sample, "cmdGo"));
    EXPECT_EQ(at.left, 12);
    EXPECT_EQ(at.top, 225);
    EXPECT_EQ(at.right - at.left, 120);
    // 150 + 25 at 96 dpi ends at 262.5: the edges are rounded.
    EXPECT_EQ(at.bottom, 263);
    // 8 points at 144 dpi.
    LOGFONTW scaled = {};
    ::GetObjectW(toolkit.font(), sizeof scaled, &scaled);
    EXPECT_EQ(scaled.lfHeight, -16);
}

TEST_F(Win32Forms, InitialFocusAndBackAfterDeactivation)
{
    show();
    EXPECT_EQ(::GetFocus(), child("lstItems"));
    ::SetFocus(child("cmdGo"));
    const auto other = toolkit.build(picker);
    other->show();
    ASSERT_TRUE(pumpUntil(toolkit, [&] { return ::GetActiveWindow() != window; }));
    view->bringToFront();
    ASSERT_TRUE(pumpUntil(toolkit, [&] { return ::GetActiveWindow() == window; }));
    EXPECT_EQ(::GetFocus(), child("cmdGo"));
}

TEST_F(Win32Forms, MultiLineLineBreaks)
{
    auto &box = view->get<TextBox>("txtNotes");
    // A bare line feed would show as a box.
    box.setText(u"a\nb\r\nc");
    EXPECT_EQ(box.text(), Text(u"a\r\nb\r\nc"));
}

TEST_F(Win32Forms, ClosingTheLastWindowEndsTheLoop)
{
    toolkit.setQuitOnLastWindowClosed(true);
    show();
    const auto other = toolkit.build(picker);
    other->show();
    // A second window still shown keeps the loop going.
    ::PostMessageW(win32::windowOf(*other), WM_CLOSE, 0, 0);
    ::PostMessageW(window, WM_APP, 0, 0);
    MSG message = {};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0 && message.message != WM_APP)
        toolkit.dispatch(message);
    EXPECT_EQ(message.message, UINT(WM_APP));
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    // The answer if no WM_QUIT comes.
    ::SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR, DWORD) { ::PostQuitMessage(7); });
    EXPECT_EQ(toolkit.run(), 0);
}

// ---- drive, folder and file lists ------------------------------------------------

class Win32FileLists : public testing::Test
{
protected:
    win32::Toolkit toolkit;
    TempFolder folder;
};

TEST_F(Win32FileLists, AMissingFolderIsRefusedWithTheSystemsWords)
{
    const auto view = toolkit.build(picker);
    const auto error = view->get<FolderList>("dirFile").setPath(native(folder.path() / "missing"));
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, win32::errorText(ERROR_FILE_NOT_FOUND));
}

TEST_F(Win32FileLists, MissingDriveIsRefusedWithTheSystemsWords)
{
    wchar_t letter = 0;
    const DWORD drives = ::GetLogicalDrives();
    for (wchar_t c = L'Q'; c <= L'Y' && !letter; ++c) {
        if (!(drives & (1u << (c - L'A'))))
            letter = c;
    }
    if (!letter)
        GTEST_SKIP() << "no free drive letter";
    const auto view = toolkit.build(picker);
    auto &folders = view->get<FolderList>("dirFile");
    const Text before = folders.path();
    const auto error = folders.setPath(Text {char16_t(letter), u':'});
    ASSERT_TRUE(error);
    EXPECT_FALSE(error->empty());
    EXPECT_NE(error->back(), u'.');
    EXPECT_NE(error->back(), u'\n');
    EXPECT_EQ(folders.path(), before);
}

TEST_F(Win32FileLists, FilesWithTheHiddenOrSystemAttributeAreNotListed)
{
    for (const char *name : {"b.txt", "hidden.txt", "system.txt"})
        folder.writeFile(name);
    ::SetFileAttributesW((folder.path() / "hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    ::SetFileAttributesW((folder.path() / "system.txt").c_str(), FILE_ATTRIBUTE_SYSTEM);
    std::filesystem::create_directory(folder.path() / "hidden");
    ::SetFileAttributesW((folder.path() / "hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
    const auto view = toolkit.build(picker);
    view->get<FileList>("filFile").setPath(native(folder.path()));
    const HWND list = control(*view, picker, "filFile");
    EXPECT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(view->get<FolderList>("dirFile").setPath(native(folder.path())), std::nullopt);
    const HWND folders = control(*view, picker, "dirFile");
    wchar_t last[MAX_PATH] = {};
    ::SendMessageW(folders, LB_GETTEXT, WPARAM(::SendMessageW(folders, LB_GETCOUNT, 0, 0) - 1),
        reinterpret_cast<LPARAM>(last));
    EXPECT_NE(std::wstring(last).find(folder.path().filename().wstring()), std::wstring::npos);
}

TEST_F(Win32FileLists, DrivesShowAsWindowsDriveListsShowThem)
{
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    const auto view = toolkit.build(picker);
    std::filesystem::current_path(previous);
    const Text drive = view->get<DriveList>("drvFile").drive();
    const std::wstring driveText = text(control(*view, picker, "drvFile"));
    // "c:", then the label in brackets.
    ASSERT_EQ(drive.size(), 2u);
    EXPECT_EQ(drive[0], char16_t(std::towlower(folder.path().wstring()[0])));
    EXPECT_EQ(drive[1], u':');
    EXPECT_EQ(driveText.substr(0, 2), std::wstring(drive.begin(), drive.end()));
    EXPECT_TRUE(driveText.size() == 2 || driveText.substr(2, 2) == L" [") << driveText.c_str();
}

TEST(Win32ControlIds, FollowTheTableRows)
{
    EXPECT_EQ(win32::controlId(sample, "lblName"), win32::firstControlId);
    EXPECT_EQ(win32::controlId(sample, "chkFlag"), win32::firstControlId + 7);
    EXPECT_EQ(win32::controlId(sample, "nothing"), -1);
}

} // namespace
