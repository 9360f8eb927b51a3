// The Win32 adapters and the window builder under Wine: each control kind
// keeps its contract over its standard control, and a window is built as its
// table says.
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

TEST_F(Win32Forms, WindowFromTable)
{
    ASSERT_TRUE(window);
    EXPECT_EQ(text(window), L"Sample window");
    RECT client;
    ::GetClientRect(window, &client);
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 200);
    const LONG windowStyle = style(window);
    EXPECT_EQ(windowStyle & WS_CAPTION, WS_CAPTION);
    EXPECT_TRUE(windowStyle & WS_SYSMENU);
    EXPECT_FALSE(windowStyle & WS_MINIMIZEBOX);
    EXPECT_FALSE(windowStyle & WS_MAXIMIZEBOX);
    EXPECT_FALSE(windowStyle & WS_THICKFRAME);
    view->setCaption(u"Other");
    EXPECT_EQ(text(window), L"Other");
    EXPECT_EQ(view->caption(), Text(u"Other"));
}

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
    const ControlSpec &row = *findControl(sample, expected.name);
    const HWND control = child(expected.name);
    ASSERT_TRUE(control) << expected.name;
    ASSERT_TRUE(view->find(expected.name));
    EXPECT_EQ(className(control), expected.className);
    const RECT at = placement(control);
    EXPECT_EQ(at.left, row.left);
    EXPECT_EQ(at.top, row.top);
    EXPECT_EQ(at.right - at.left, row.width);
    EXPECT_EQ(at.bottom - at.top, row.height);
    EXPECT_EQ(style(control) & expected.styles, expected.styles);
    EXPECT_EQ(style(control) & expected.absent, 0);
    EXPECT_EQ(bool(style(control) & WS_VISIBLE), !(row.flags & Hidden));
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
    [](const testing::TestParamInfo<Built> &info) { return std::string(info.param.name); });

TEST_F(Win32Forms, CheckBoxIsNotAutomatic)
{
    // BS_AUTO3STATE would cycle into grey by itself.
    EXPECT_EQ(style(child("chkFlag")) & BS_TYPEMASK, BS_3STATE);
}

TEST_F(Win32Forms, TooltipsFromTable)
{
    EXPECT_EQ(tooltipsOf(window),
        (std::map<std::wstring, std::wstring> {{L"start", L"Type a name."}, {L"&Go", L"Go now."}}));
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

TEST_F(Win32Forms, TabOrderFollowsTabIndex)
{
    show();
    std::vector<std::string> order;
    for (int i = 0; i < 7; ++i) {
        const HWND focus = ::GetFocus();
        const int id = ::GetDlgCtrlID(focus);
        order.push_back(
            id >= win32::firstControlId ? sampleControls[id - win32::firstControlId].name : "?");
        pressKey(focus, VK_TAB);
        pumpUntil(toolkit, [&] { return ::GetFocus() != focus; });
    }
    EXPECT_EQ(order,
        (std::vector<std::string> {
            "lstItems", "txtName", "txtNotes", "cmdGo", "chkFlag", "lstMenu", "lstItems"}));
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

TEST_F(Win32Forms, TextBoxChangeEvents)
{
    for (const char *name : {"txtName", "txtNotes"}) {
        SCOPED_TRACE(name);
        auto &box = view->get<TextBox>(name);
        int changes = 0;
        box.onChange = [&] { ++changes; };
        box.setText(u"by program");
        EXPECT_EQ(changes, 1);
        box.setText(u"");
        changes = 0;
        typeText(child(name), L"ab");
        pumpUntil(toolkit, [&] { return changes == 2; });
        EXPECT_EQ(changes, 2);
        EXPECT_EQ(box.text(), Text(u"ab"));
    }
}

struct Filtered
{
    const char *name;
    std::wstring typed;
    std::wstring expected;
};

class Win32KeyFilter : public Win32Forms, public testing::WithParamInterface<Filtered>
{
};

TEST_P(Win32KeyFilter, AnswersReplaceOrDropKeys)
{
    auto &box = view->get<TextBox>("txtNotes");
    box.onKeyPress = [](int key) { return key == '-' ? 0 : key == '1' || key == 'x' ? 'y' : key; };
    typeText(child("txtNotes"), GetParam().typed);
    pump();
    EXPECT_EQ(text(child("txtNotes")), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Keys, Win32KeyFilter,
    testing::Values(Filtered {"Kept", L"abc", L"abc"}, Filtered {"Dropped", L"a-b", L"ab"},
        Filtered {"Replaced", L"x1", L"yy"}),
    [](const testing::TestParamInfo<Filtered> &info) { return std::string(info.param.name); });

TEST_F(Win32Forms, EnterInOneLineBoxReachesForm)
{
    show();
    auto &box = view->get<TextBox>("txtName");
    std::vector<int> keys;
    box.onKeyPress = [&](int key) {
        keys.push_back(key);
        return key;
    };
    const HWND edit = child("txtName");
    ::SetFocus(edit);
    pressKey(edit, VK_RETURN);
    pumpUntil(toolkit, [&] { return !keys.empty(); });
    EXPECT_EQ(keys, std::vector<int>({13}));
    EXPECT_EQ(text(edit), L"start");
}

TEST_F(Win32Forms, EnterOnFocusedButtonClicksIt)
{
    show();
    int clicks = 0;
    view->get<Button>("cmdGo").onClick = [&] { ++clicks; };
    ::SetFocus(child("cmdGo"));
    pressKey(child("cmdGo"), VK_RETURN);
    pumpUntil(toolkit, [&] { return clicks > 0; });
    EXPECT_EQ(clicks, 1);
}

TEST_F(Win32Forms, AccessKeyClicksButton)
{
    show();
    int clicks = 0;
    view->get<Button>("cmdGo").onClick = [&] { ++clicks; };
    pressAccessKey(::GetFocus(), L'g');
    pumpUntil(toolkit, [&] { return clicks > 0; });
    EXPECT_EQ(clicks, 1);
}

TEST_F(Win32Forms, TextBoxLimit)
{
    view->get<TextBox>("txtName").setText(u"");
    typeText(child("txtName"), L"abcdefgh");
    pump();
    EXPECT_EQ(text(child("txtName")), L"abcde");
    // The program's own text is not cut: the limit is the user's.
    view->get<TextBox>("txtName").setText(u"abcdefgh");
    EXPECT_EQ(view->get<TextBox>("txtName").text(), Text(u"abcdefgh"));
}

TEST_F(Win32Forms, MultiLineBoxTakesEnterAndLetsTabMoveOn)
{
    show();
    const HWND edit = child("txtNotes");
    ::SetFocus(edit);
    // Each key in turn: the character of Enter is queued when its key is
    // handled.
    typeText(edit, L"a");
    pumpUntil(toolkit, [&] { return text(edit).size() == 1; });
    pressKey(edit, VK_RETURN);
    pumpUntil(toolkit, [&] { return text(edit).size() == 3; });
    typeText(edit, L"b");
    pumpUntil(toolkit, [&] { return text(edit).size() == 4; });
    EXPECT_EQ(text(edit), L"a\r\nb");
    pressKey(edit, VK_TAB);
    pumpUntil(toolkit, [&] { return ::GetFocus() != edit; });
    EXPECT_EQ(::GetFocus(), child("cmdGo"));
    EXPECT_EQ(text(edit), L"a\r\nb");
}

TEST_F(Win32Forms, MultiLineLineBreaks)
{
    auto &box = view->get<TextBox>("txtNotes");
    box.setText(u"one\u00a0two\r\nthree");
    EXPECT_EQ(box.text(), Text(u"one\u00a0two\r\nthree"));
    // A bare line feed would show as a box.
    box.setText(u"a\nb\r\nc");
    EXPECT_EQ(box.text(), Text(u"a\r\nb\r\nc"));
}

TEST_F(Win32Forms, ListProgramChangesAreQuiet)
{
    auto &list = view->get<ListBox>("lstItems");
    int clicks = 0;
    list.onClick = [&] { ++clicks; };
    list.addItem(u"a");
    list.addItem(u"c");
    list.insertItem(1, u"b");
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.item(1), Text(u"b"));
    // Not sorted: in the order given.
    EXPECT_EQ(list.item(2), Text(u"c"));
    ::SendMessageW(child("lstItems"), LB_SETSEL, TRUE, 2);
    EXPECT_TRUE(list.isSelected(2));
    list.removeItem(2);
    list.clear();
    pump();
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(list.count(), 0);
}

TEST_F(Win32Forms, ListUserPickFiresClick)
{
    show();
    auto &list = view->get<ListBox>("lstItems");
    for (const char16_t *entry : {u"a", u"b", u"c"})
        list.addItem(entry);
    std::vector<int> seen;
    list.onClick = [&] { seen.push_back(list.currentIndex()); };
    const HWND widget = child("lstItems");
    click(widget, listItemCentre(widget, 1));
    ASSERT_TRUE(pumpUntil(toolkit, [&] { return !seen.empty(); }));
    EXPECT_EQ(seen.back(), 1);
    pressKey(widget, VK_DOWN);
    ASSERT_TRUE(pumpUntil(toolkit, [&] { return seen.back() == 2; }));
    EXPECT_TRUE(list.isSelected(2));
    EXPECT_FALSE(list.isSelected(1));
}

TEST_F(Win32Forms, ListHasNoCurrentEntryFromFocusAlone)
{
    auto &list = view->get<ListBox>("lstItems");
    list.addItem(u"a");
    list.addItem(u"b");
    show();
    EXPECT_EQ(::GetFocus(), child("lstItems"));
    EXPECT_EQ(list.currentIndex(), -1);
    click(child("lstItems"), listItemCentre(child("lstItems"), 1));
    ASSERT_TRUE(pumpUntil(toolkit, [&] { return list.currentIndex() == 1; }));
    list.clear();
    list.addItem(u"c");
    EXPECT_EQ(list.currentIndex(), -1);
}

TEST_F(Win32Forms, ListExtendedSelection)
{
    show();
    auto &list = view->get<ListBox>("lstItems");
    for (const char16_t *entry : {u"a", u"b", u"c", u"d"})
        list.addItem(entry);
    const HWND widget = child("lstItems");
    int clicks = 0;
    list.onClick = [&] { ++clicks; };
    click(widget, listItemCentre(widget, 0));
    click(widget, listItemCentre(widget, 2), MK_CONTROL);
    click(widget, listItemCentre(widget, 0), MK_CONTROL);
    ASSERT_TRUE(pumpUntil(toolkit, [&] { return clicks >= 3; }));
    EXPECT_FALSE(list.isSelected(0));
    EXPECT_TRUE(list.isSelected(2));
    EXPECT_EQ(list.currentIndex(), 0);
}

TEST_F(Win32Forms, MenuBackgroundList)
{
    const HDC dc = ::CreateCompatibleDC(nullptr);
    const auto answer = [&](const char *name) {
        return reinterpret_cast<HBRUSH>(::SendMessageW(window, WM_CTLCOLORLISTBOX,
            reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child(name))));
    };
    EXPECT_EQ(answer("lstMenu"), ::GetSysColorBrush(COLOR_MENU));
    EXPECT_EQ(::GetBkColor(dc), ::GetSysColor(COLOR_MENU));
    EXPECT_NE(answer("lstItems"), ::GetSysColorBrush(COLOR_MENU));
    ::DeleteDC(dc);
}

TEST_F(Win32Forms, CheckBoxStates)
{
    auto &check = view->get<CheckBox>("chkFlag");
    const HWND widget = child("chkFlag");
    EXPECT_EQ(check.state(), CheckBox::Unchecked);
    check.setState(CheckBox::Grayed);
    EXPECT_EQ(::SendMessageW(widget, BM_GETCHECK, 0, 0), BST_INDETERMINATE);
    EXPECT_EQ(check.state(), CheckBox::Grayed);
    std::vector<CheckBox::State> clicked;
    for (int i = 0; i < 4; ++i) {
        ::SendMessageW(widget, BM_CLICK, 0, 0);
        clicked.push_back(check.state());
    }
    EXPECT_EQ(clicked,
        (std::vector<CheckBox::State> {
            CheckBox::Checked, CheckBox::Unchecked, CheckBox::Checked, CheckBox::Unchecked}));
}

TEST_F(Win32Forms, ButtonClickStateAndCaption)
{
    show();
    auto &button = view->get<Button>("cmdGo");
    const HWND widget = child("cmdGo");
    int clicks = 0;
    button.onClick = [&] { ++clicks; };
    ::SendMessageW(widget, BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    // A disabled button hands the focus on instead of swallowing the keys.
    ::SetFocus(widget);
    button.setEnabled(false);
    EXPECT_FALSE(::IsWindowEnabled(widget));
    EXPECT_FALSE(button.isEnabled());
    EXPECT_EQ(::GetFocus(), child("chkFlag"));
    button.setEnabled(true);
    button.setCaption(u"Sending...");
    EXPECT_EQ(text(widget), L"Sending...");
    EXPECT_EQ(button.caption(), Text(u"Sending..."));
}

TEST_F(Win32Forms, TimerTicksWhileEnabledWithAPeriod)
{
    auto &timer = view->get<Timer>("tmrBeat");
    auto &clock = view->get<Timer>("tmrClock");
    EXPECT_FALSE(timer.isEnabled());
    EXPECT_EQ(timer.interval(), 1000);
    int ticks = 0, clockTicks = 0;
    timer.onTick = [&] { ++ticks; };
    clock.onTick = [&] { ++clockTicks; };
    timer.setInterval(5);
    timer.setEnabled(true);
    EXPECT_TRUE(pumpUntil(toolkit, [&] { return ticks >= 2; }));
    // A period of 0 means no tick at all, while the clock goes on.
    timer.setInterval(0);
    EXPECT_TRUE(timer.isEnabled());
    ticks = 0;
    clock.setEnabled(true);
    EXPECT_TRUE(pumpUntil(toolkit, [&] { return clockTicks >= 5; }));
    EXPECT_EQ(ticks, 0);
    timer.setInterval(5);
    timer.setEnabled(false);
    clockTicks = 0;
    EXPECT_TRUE(pumpUntil(toolkit, [&] { return clockTicks >= 5; }));
    EXPECT_EQ(ticks, 0);
}

class Win32MessageBox : public Win32Forms, public testing::WithParamInterface<BoxIcon>
{
};

TEST_P(Win32MessageBox, ShowsTextTitleIconAndOneOkButton)
{
    show();
    BoxWatcher watcher;
    view->messageBox(u"Text!", u"Title", GetParam());
    ASSERT_EQ(watcher.boxes.size(), 1u);
    const ShownBox &box = watcher.boxes[0];
    EXPECT_EQ(box.title, L"Title");
    EXPECT_EQ(box.text, L"Text!");
    EXPECT_EQ(box.icon, int(GetParam()));
    EXPECT_EQ(box.buttons, 1);
    EXPECT_TRUE(box.hasOk);
    EXPECT_EQ(box.owner, window);
}

INSTANTIATE_TEST_SUITE_P(Icons, Win32MessageBox,
    testing::Values(BoxIcon::Critical, BoxIcon::Exclamation, BoxIcon::Information),
    [](const testing::TestParamInfo<BoxIcon> &info) { return std::to_string(int(info.param)); });

TEST_F(Win32Forms, CloseButtonHidesAndTellsTheForm)
{
    show();
    int closes = 0;
    view->onClose = [&] { ++closes; };
    ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(pumpUntil(toolkit, [&] { return closes > 0; }));
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(::IsWindow(window));
    EXPECT_FALSE(::IsWindowVisible(window));
}

TEST_F(Win32Forms, FormMayDestroyTheViewWhileClosing)
{
    show();
    int closes = 0;
    view->get<Button>("cmdGo").onClick = [&] { view->close(); };
    view->onClose = [&] {
        ++closes;
        view.reset();
    };
    ::SendMessageW(child("cmdGo"), BM_CLICK, 0, 0);
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(view);
    EXPECT_FALSE(::IsWindow(window));
}

TEST_F(Win32Forms, KeyHandlerMayDestroyTheView)
{
    show();
    view->get<TextBox>("txtName").onKeyPress = [&](int key) {
        view.reset();
        return key;
    };
    typeText(child("txtName"), L"a");
    ASSERT_TRUE(pumpUntil(toolkit, [&] { return !view; }));
    EXPECT_FALSE(::IsWindow(window));
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

TEST_F(Win32FileLists, FolderListOpensAndRefuses)
{
    std::filesystem::create_directories(folder.path() / "sub" / "inner");
    std::filesystem::create_directories(folder.path() / "Another");
    std::filesystem::create_directories(folder.path() / "hidden");
    ::SetFileAttributesW((folder.path() / "hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
    const auto view = toolkit.build(picker);
    auto &folders = view->get<FolderList>("dirFile");
    EXPECT_EQ(folders.setPath(native(folder.path())), std::nullopt);
    EXPECT_EQ(folders.path(), native(folder.path()));
    const HWND list = control(*view, picker, "dirFile");
    std::vector<std::wstring> rows;
    for (int i = 0; i < int(::SendMessageW(list, LB_GETCOUNT, 0, 0)); ++i) {
        wchar_t row[MAX_PATH] = {};
        ::SendMessageW(list, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(row));
        rows.push_back(row);
    }
    ASSERT_GE(rows.size(), 3u);
    EXPECT_EQ(rows.front(), folder.path().root_path().wstring());
    const std::wstring indent(rows[rows.size() - 1].find_first_not_of(L' '), L' ');
    EXPECT_EQ(rows[rows.size() - 2], indent + L"Another");
    EXPECT_EQ(rows[rows.size() - 1], indent + L"sub");

    int changes = 0;
    folders.onChange = [&] { ++changes; };
    ::SendMessageW(list, LB_SETCURSEL, rows.size() - 1, 0);
    ::SendMessageW(::GetParent(list), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(list), LBN_DBLCLK),
        reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(folders.path(), native(folder.path() / "sub"));

    const auto error = folders.setPath(native(folder.path() / "missing"));
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, win32::errorText(ERROR_FILE_NOT_FOUND));
    EXPECT_NE(error->back(), u'.');
    EXPECT_EQ(folders.path(), native(folder.path() / "sub"));
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

TEST_F(Win32FileLists, FileListShowsOrdinaryFilesOnly)
{
    for (const char *name : {"b.txt", "A.exe", "hidden.txt", "system.txt"})
        folder.writeFile(name);
    ::SetFileAttributesW((folder.path() / "hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    ::SetFileAttributesW((folder.path() / "system.txt").c_str(), FILE_ATTRIBUTE_SYSTEM);
    std::filesystem::create_directory(folder.path() / "folder");
    const auto view = toolkit.build(picker);
    auto &files = view->get<FileList>("filFile");
    files.setPath(native(folder.path()));
    EXPECT_EQ(files.path(), native(folder.path()));
    const HWND list = control(*view, picker, "filFile");
    std::vector<std::wstring> names;
    for (int i = 0; i < int(::SendMessageW(list, LB_GETCOUNT, 0, 0)); ++i) {
        wchar_t name[MAX_PATH] = {};
        ::SendMessageW(list, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(name));
        names.push_back(name);
    }
    EXPECT_EQ(names, (std::vector<std::wstring> {L"A.exe", L"b.txt"}));
    EXPECT_EQ(files.selectedName(), Text());
    ::SendMessageW(list, LB_SETCURSEL, 1, 0);
    EXPECT_EQ(files.selectedName(), Text(u"b.txt"));
    int doubleClicks = 0;
    files.onDoubleClick = [&] { ++doubleClicks; };
    ::SendMessageW(::GetParent(list), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(list), LBN_DBLCLK),
        reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(doubleClicks, 1);
}

TEST_F(Win32FileLists, ListsStartAtTheCurrentFolderAndLeaveIt)
{
    std::filesystem::create_directory(folder.path() / "sub");
    folder.writeFile("here.txt");
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    const auto view = toolkit.build(picker);
    auto &folders = view->get<FolderList>("dirFile");
    const Text start = folders.path();
    const Text files = view->get<FileList>("filFile").path();
    const Text drive = view->get<DriveList>("drvFile").drive();
    const std::wstring driveText = text(control(*view, picker, "drvFile"));
    EXPECT_EQ(folders.setPath(native(folder.path() / "sub")), std::nullopt);
    const std::filesystem::path after = std::filesystem::current_path();
    std::filesystem::current_path(previous);

    EXPECT_EQ(start, native(folder.path()));
    EXPECT_EQ(files, native(folder.path()));
    EXPECT_EQ(after, folder.path());
    // As Windows' drive lists show a drive: "c:", then the label in brackets.
    ASSERT_EQ(drive.size(), 2u);
    EXPECT_EQ(drive[0], char16_t(std::towlower(folder.path().wstring()[0])));
    EXPECT_EQ(drive[1], u':');
    EXPECT_EQ(driveText.substr(0, 2), std::wstring(drive.begin(), drive.end()));
    EXPECT_TRUE(driveText.size() == 2 || driveText.substr(2, 2) == L" [") << driveText.c_str();
}

TEST_F(Win32FileLists, DriveListGeometry)
{
    const auto view = toolkit.build(picker);
    const RECT at = placement(control(*view, picker, "drvFile"));
    EXPECT_EQ(at.left, 0);
    EXPECT_EQ(at.top, 0);
    EXPECT_EQ(at.right - at.left, 177);
    EXPECT_EQ(at.bottom - at.top, 21);
}

TEST(Win32ControlIds, FollowTheTableRows)
{
    EXPECT_EQ(win32::controlId(sample, "lblName"), win32::firstControlId);
    EXPECT_EQ(win32::controlId(sample, "chkFlag"), win32::firstControlId + 7);
    EXPECT_EQ(win32::controlId(sample, "nothing"), -1);
}

} // namespace
