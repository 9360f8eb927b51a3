// The contract of the forms' toolkits, written once: each toolkit (Qt,
// Win32, the fakes the forms' own tests run on) builds a window as its table
// says, raises the controls' events as controls.h promises, and lets a
// handler destroy its own view.  The same rows run against every toolkit,
// through its driver.
#include "driver.h"
#include "frmmain.h"
#include "rows.h"
#include "samplewindows.h"
#include "tempfolder.h"
#include "windowtables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

using namespace forms;
using contract::Key;
using contract::Rect;
using samplewindows::picker;
using samplewindows::sample;

namespace {

using testsupport::PrintTo;

using Rows = std::vector<Text>;

Text native(const fs::path &path)
{
    const auto wide = path.native();
    return Text(wide.begin(), wide.end());
}

class Contract : public testing::Test
{
protected:
    void TearDown() override
    {
        view.reset();
        driver->settle();
    }

    // Builds the window of the table in place of the sample.
    View &build(const WindowSpec &spec)
    {
        view = driver->toolkit().build(spec);
        return *view;
    }
    template<class T>
    T &get(const char *name)
    {
        return view->get<T>(name);
    }

    std::unique_ptr<contract::Driver> driver = contract::makeDriver();
    std::unique_ptr<View> view = driver->toolkit().build(sample);
};

// ---- a window is built as its table says ----------------------------------------

// Tab reaches it in a window fresh from its table.
bool takesFocus(const ControlSpec &row)
{
    return row.tabIndex >= 0 && row.kind != Kind::Label && row.kind != Kind::Timer
        && !(row.flags & (Hidden | Disabled));
}

bool hasTheInterfaceOfItsKind(Control *control, Kind kind)
{
    switch (kind) {
    case Kind::Label:
        return dynamic_cast<Label *>(control);
    case Kind::TextBox:
    case Kind::MultiLineTextBox:
        return dynamic_cast<TextBox *>(control);
    case Kind::ListBox:
        return dynamic_cast<ListBox *>(control);
    case Kind::Button:
        return dynamic_cast<Button *>(control);
    case Kind::CheckBox:
        return dynamic_cast<CheckBox *>(control);
    case Kind::Timer:
        return dynamic_cast<Timer *>(control);
    case Kind::DriveList:
        return dynamic_cast<DriveList *>(control);
    case Kind::FolderList:
        return dynamic_cast<FolderList *>(control);
    case Kind::FileList:
        return dynamic_cast<FileList *>(control);
    }
    return false;
}

class BuiltAsTable : public Contract, public testing::WithParamInterface<const WindowSpec *>
{
};

TEST_P(BuiltAsTable, FrameControlsFocusAndTabOrder)
{
    const WindowSpec &spec = *GetParam();
    build(spec);
    driver->show(*view);
    EXPECT_EQ(driver->caption(*view), spec.caption);
    EXPECT_EQ(driver->clientArea(*view), (Rect {0, 0, spec.clientWidth, spec.clientHeight}));
    EXPECT_TRUE(driver->fixedFrame(*view));
    EXPECT_EQ(driver->hasIcon(*view), spec.icon != nullptr);

    std::vector<const ControlSpec *> tabStops;
    for (const ControlSpec &row : spec.controls) {
        SCOPED_TRACE(row.name);
        Control *control = view->find(row.name);
        ASSERT_TRUE(hasTheInterfaceOfItsKind(control, row.kind));
        if (row.kind == Kind::Timer) {
            auto *timer = dynamic_cast<Timer *>(control);
            EXPECT_EQ(timer->interval(), row.interval);
            EXPECT_EQ(timer->isEnabled(), !(row.flags & Disabled));
            continue;
        }
        EXPECT_EQ(
            driver->placement(*view, row.name), (Rect {row.left, row.top, row.width, row.height}));
        EXPECT_EQ(driver->visible(*view, row.name), !(row.flags & Hidden));
        EXPECT_EQ(driver->enabled(*view, row.name), !(row.flags & Disabled));
        EXPECT_EQ(driver->tooltip(*view, row.name), row.tooltip ? row.tooltip : u"");
        switch (row.kind) {
        case Kind::Label:
        case Kind::Button:
            // A label would wrap the rest of its caption out of sight.
            EXPECT_TRUE(driver->captionFits(*view, row.name));
            [[fallthrough]];
        case Kind::CheckBox:
        case Kind::TextBox:
        case Kind::MultiLineTextBox:
            EXPECT_EQ(driver->text(*view, row.name), row.caption);
            break;
        default:
            break;
        }
        if (row.kind == Kind::TextBox) {
            EXPECT_EQ(driver->maxLength(*view, row.name), row.maxLength);
        }
        if (row.kind == Kind::MultiLineTextBox) {
            EXPECT_EQ(driver->scrollBars(*view, row.name), bool(row.flags & ScrollBars));
        }
        if (row.kind == Kind::ListBox) {
            EXPECT_EQ(
                driver->extendedSelection(*view, row.name), bool(row.flags & ExtendedSelection));
            EXPECT_EQ(driver->menuBackground(*view, row.name), bool(row.flags & MenuBackground));
        }
        if (row.flags & InitialFocus) {
            EXPECT_EQ(driver->focus(*view), row.name);
        }
        if (takesFocus(row))
            tabStops.push_back(&row);
    }

    // Tab walks the tab stops in the order of their numbers, round again.
    ASSERT_FALSE(tabStops.empty());
    std::stable_sort(tabStops.begin(), tabStops.end(),
        [](const auto *a, const auto *b) { return a->tabIndex < b->tabIndex; });
    std::vector<std::string> expected, walked;
    for (const ControlSpec *row : tabStops)
        expected.push_back(row->name);
    expected.push_back(expected.front());
    driver->press(*view, tabStops.front()->name, Key::Tab);
    walked.push_back(tabStops.front()->name);
    for (std::size_t i = 1; i < expected.size(); ++i) {
        const std::string focus = driver->focus(*view);
        walked.push_back(focus);
        if (focus.empty())
            break;
        driver->press(*view, focus.c_str(), Key::Tab);
    }
    EXPECT_EQ(walked, expected);
}

const WindowSpec *const windows[]
    = {&sample, &picker, &quillpost::mainWindow, &crier::mainWindow, &crier::filePickerWindow};
const char *const windowNames[] = {"Sample", "Picker", "Quillpost", "Crier", "CrierFilePicker"};

INSTANTIATE_TEST_SUITE_P(Windows, BuiltAsTable, testing::ValuesIn(windows),
    [](const testing::TestParamInfo<const WindowSpec *> &info) {
        return std::string(windowNames[info.index]);
    });

TEST_F(Contract, CaptionReadsBack)
{
    view->setCaption(u"Other");
    EXPECT_EQ(view->caption(), u"Other");
    EXPECT_EQ(driver->caption(*view), u"Other");
}

// ---- text boxes -------------------------------------------------------------------

class TextBoxes : public Contract, public testing::WithParamInterface<const char *>
{
};

TEST_P(TextBoxes, ChangeEventsForTheProgramAndTheUser)
{
    auto &box = get<TextBox>(GetParam());
    int changes = 0;
    box.onChange = [&] { ++changes; };
    box.setText(u"by program");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(driver->text(*view, GetParam()), u"by program");
    box.setText(u"");
    changes = 0;
    driver->show(*view);
    driver->type(*view, GetParam(), u"ab");
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(box.text(), u"ab");
}

INSTANTIATE_TEST_SUITE_P(Kinds, TextBoxes, testing::Values("txtName", "txtNotes"));

struct Filtered
{
    const char *name;
    Text typed;
    Text expected;
};

class KeyFilter : public Contract, public testing::WithParamInterface<Filtered>
{
};

TEST_P(KeyFilter, AnswersKeepReplaceOrDropKeys)
{
    driver->show(*view);
    auto &box = get<TextBox>("txtNotes");
    box.onKeyPress = [](int key) { return key == '-' ? 0 : key == '1' || key == 'x' ? 'y' : key; };
    driver->type(*view, "txtNotes", GetParam().typed);
    EXPECT_EQ(box.text(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyFilter,
    testing::Values(Filtered {"Kept", u"abc", u"abc"}, Filtered {"Dropped", u"a-b", u"ab"},
        Filtered {"Replaced", u"x1", u"yy"}),
    testsupport::RowName());

const char *keyName(Key key)
{
    switch (key) {
    case Key::Enter:
        return "Enter";
    case Key::KeypadEnter:
        return "KeypadEnter";
    case Key::Space:
        return "Space";
    default:
        return "Other";
    }
}

class EnterKeys : public Contract, public testing::WithParamInterface<Key>
{
};

TEST_P(EnterKeys, ReachTheFormAsThirteenAndTypeNothingIntoAOneLineBox)
{
    driver->show(*view);
    std::vector<int> keys;
    get<TextBox>("txtName").onKeyPress = [&](int key) {
        keys.push_back(key);
        return key;
    };
    driver->press(*view, "txtName", GetParam());
    EXPECT_EQ(keys, std::vector<int>({13}));
    EXPECT_EQ(driver->text(*view, "txtName"), u"start");
}

INSTANTIATE_TEST_SUITE_P(Keys, EnterKeys, testing::Values(Key::Enter, Key::KeypadEnter),
    [](const testing::TestParamInfo<Key> &info) { return std::string(keyName(info.param)); });

TEST_F(Contract, EnterInAMultiLineBoxStartsANewLine)
{
    driver->show(*view);
    std::vector<int> keys;
    get<TextBox>("txtNotes").onKeyPress = [&](int key) {
        keys.push_back(key);
        return key;
    };
    driver->type(*view, "txtNotes", u"a\rb");
    EXPECT_EQ(keys, std::vector<int>({'a', 13, 'b'}));
    EXPECT_EQ(get<TextBox>("txtNotes").text(), Text(u"a") + lineBreak + u"b");
}

TEST_F(Contract, TabLeavesAMultiLineBoxUntyped)
{
    driver->show(*view);
    get<TextBox>("txtNotes").setText(u"kept");
    driver->press(*view, "txtNotes", Key::Tab);
    EXPECT_EQ(driver->focus(*view), "cmdGo");
    EXPECT_EQ(get<TextBox>("txtNotes").text(), u"kept");
}

TEST_F(Contract, TheLimitIsTheUsersNotTheProgramsOwn)
{
    driver->show(*view);
    auto &box = get<TextBox>("txtName");
    box.setText(u"");
    driver->type(*view, "txtName", u"abcdefgh");
    EXPECT_EQ(box.text(), u"abcde");
    box.setText(u"abcdefgh");
    EXPECT_EQ(box.text(), u"abcdefgh");
}

TEST_F(Contract, AOneLineBoxWithoutALimitTakesALongText)
{
    build(quillpost::mainWindow);
    driver->show(*view);
    const Text text(40000, u'x');
    get<TextBox>("txtTo").setText(text);
    driver->type(*view, "txtTo", u"y");
    EXPECT_EQ(get<TextBox>("txtTo").text(), text + u"y");
}

TEST_F(Contract, BackspaceTakesTheLastCharacterBack)
{
    driver->show(*view);
    driver->press(*view, "txtName", Key::Backspace);
    EXPECT_EQ(get<TextBox>("txtName").text(), u"star");
}

TEST_F(Contract, AMultiLineBoxKeepsItsTextAsGiven)
{
    const Text text = Text(u"one\u00a0two") + lineBreak + u"  three \u20ac";
    get<TextBox>("txtNotes").setText(text);
    EXPECT_EQ(get<TextBox>("txtNotes").text(), text);
}

// ---- buttons, check boxes, timers ------------------------------------------------------

TEST_F(Contract, ButtonClicksStateAndCaption)
{
    driver->show(*view);
    auto &button = get<Button>("cmdGo");
    int clicks = 0;
    button.onClick = [&] { ++clicks; };
    driver->click(*view, "cmdGo");
    EXPECT_EQ(clicks, 1);
    button.setEnabled(false);
    EXPECT_FALSE(button.isEnabled());
    EXPECT_FALSE(driver->enabled(*view, "cmdGo"));
    driver->click(*view, "cmdGo");
    EXPECT_EQ(clicks, 1);
    button.setCaption(u"Sending...");
    EXPECT_EQ(button.caption(), u"Sending...");
    EXPECT_EQ(driver->text(*view, "cmdGo"), u"Sending...");
}

class KeysOnAButton : public Contract, public testing::WithParamInterface<Key>
{
};

TEST_P(KeysOnAButton, PressTheFocusedButtonOnce)
{
    driver->show(*view);
    int clicks = 0;
    get<Button>("cmdGo").onClick = [&] { ++clicks; };
    driver->press(*view, "cmdGo", GetParam());
    driver->settle();
    EXPECT_EQ(clicks, 1);
}

INSTANTIATE_TEST_SUITE_P(Keys, KeysOnAButton,
    testing::Values(Key::Enter, Key::KeypadEnter, Key::Space),
    [](const testing::TestParamInfo<Key> &info) { return std::string(keyName(info.param)); });

TEST_F(Contract, AccessKeyPressesAnEnabledButton)
{
    driver->show(*view);
    int clicks = 0;
    get<Button>("cmdGo").onClick = [&] { ++clicks; };
    // From a text box, which does not get the letter.
    driver->type(*view, "txtNotes", u"");
    driver->accessKey(*view, u'g');
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(get<TextBox>("txtNotes").text(), u"");
    get<Button>("cmdGo").setEnabled(false);
    driver->accessKey(*view, u'g');
    driver->settle();
    EXPECT_EQ(clicks, 1);
}

TEST_F(Contract, ADisabledButtonPassesTheFocusOnAndTabPassesItBy)
{
    driver->show(*view);
    driver->press(*view, "txtNotes", Key::Tab);
    ASSERT_EQ(driver->focus(*view), "cmdGo");
    get<Button>("cmdGo").setEnabled(false);
    EXPECT_EQ(driver->focus(*view), "chkFlag");
    driver->press(*view, "txtNotes", Key::Tab);
    EXPECT_EQ(driver->focus(*view), "chkFlag");
    driver->press(*view, "chkFlag", Key::Backtab);
    EXPECT_EQ(driver->focus(*view), "txtNotes");
}

TEST_F(Contract, CheckBoxClicksNeverGrey)
{
    auto &check = get<CheckBox>("chkFlag");
    EXPECT_EQ(check.state(), CheckBox::Unchecked);
    check.setState(CheckBox::Grayed);
    EXPECT_EQ(check.state(), CheckBox::Grayed);
    driver->show(*view);
    std::vector<CheckBox::State> clicked;
    for (int i = 0; i < 4; ++i) {
        driver->click(*view, "chkFlag");
        clicked.push_back(check.state());
    }
    EXPECT_EQ(clicked,
        (std::vector<CheckBox::State> {
            CheckBox::Checked, CheckBox::Unchecked, CheckBox::Checked, CheckBox::Unchecked}));
}

TEST_F(Contract, TimerTicksWhileEnabledWithAPeriod)
{
    auto &timer = get<Timer>("tmrBeat");
    auto &clock = get<Timer>("tmrClock");
    int ticks = 0, clockTicks = 0;
    timer.onTick = [&] { ++ticks; };
    clock.onTick = [&] { ++clockTicks; };
    timer.setInterval(5);
    timer.setEnabled(true);
    EXPECT_TRUE(driver->waitUntil([&] { return ticks >= 2; }));
    // A period of 0 means no tick at all, while the clock goes on.
    timer.setInterval(0);
    EXPECT_TRUE(timer.isEnabled());
    ticks = 0;
    clock.setEnabled(true);
    EXPECT_TRUE(driver->waitUntil([&] { return clockTicks >= 3; }));
    EXPECT_EQ(ticks, 0);
    timer.setInterval(5);
    timer.setEnabled(false);
    EXPECT_FALSE(timer.isEnabled());
    clockTicks = 0;
    EXPECT_TRUE(driver->waitUntil([&] { return clockTicks >= 3; }));
    EXPECT_EQ(ticks, 0);
}

// ---- list boxes -----------------------------------------------------------------------

TEST_F(Contract, TheProgramsListChangesRaiseNoEvent)
{
    auto &list = get<ListBox>("lstItems");
    int clicks = 0;
    list.onClick = [&] { ++clicks; };
    list.addItem(u"a");
    list.addItem(u"c");
    list.insertItem(1, u"b");
    EXPECT_EQ(driver->rows(*view, "lstItems"), (Rows {u"a", u"b", u"c"}));
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(list.item(1), u"b");
    list.removeItem(2);
    EXPECT_EQ(driver->rows(*view, "lstItems"), (Rows {u"a", u"b"}));
    list.clear();
    driver->settle();
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(list.count(), 0);
}

// Each pick raises onClick once: a click on another entry, on the current
// one again, an arrow key.
TEST_F(Contract, EachPickRaisesOneClick)
{
    driver->show(*view);
    auto &list = get<ListBox>("lstItems");
    for (const char16_t *entry : {u"a", u"b", u"c"})
        list.addItem(entry);
    std::vector<int> seen;
    list.onClick = [&] { seen.push_back(list.currentIndex()); };
    driver->pick(*view, "lstItems", 1);
    driver->settle();
    EXPECT_EQ(seen, std::vector<int>({1}));
    driver->pick(*view, "lstItems", 1);
    driver->settle();
    EXPECT_EQ(seen, std::vector<int>({1, 1}));
    driver->press(*view, "lstItems", Key::Down);
    driver->settle();
    EXPECT_EQ(seen, std::vector<int>({1, 1, 2}));
    EXPECT_TRUE(list.isSelected(2));
    EXPECT_FALSE(list.isSelected(1));
}

TEST_F(Contract, AListHasNoCurrentEntryUntilOneIsPicked)
{
    auto &list = get<ListBox>("lstItems");
    list.addItem(u"a");
    list.addItem(u"b");
    driver->show(*view);
    EXPECT_EQ(driver->focus(*view), "lstItems");
    EXPECT_EQ(list.currentIndex(), -1);
    driver->pick(*view, "lstItems", 1);
    EXPECT_EQ(list.currentIndex(), 1);
    list.clear();
    list.addItem(u"c");
    EXPECT_EQ(list.currentIndex(), -1);
}

TEST_F(Contract, ExtendedSelectionTogglesWithCtrl)
{
    driver->show(*view);
    auto &list = get<ListBox>("lstItems");
    for (const char16_t *entry : {u"a", u"b", u"c", u"d"})
        list.addItem(entry);
    int clicks = 0;
    list.onClick = [&] { ++clicks; };
    driver->pick(*view, "lstItems", 0);
    driver->pick(*view, "lstItems", 2, true);
    driver->pick(*view, "lstItems", 0, true);
    driver->settle();
    EXPECT_EQ(clicks, 3);
    EXPECT_FALSE(list.isSelected(0));
    EXPECT_FALSE(list.isSelected(1));
    EXPECT_TRUE(list.isSelected(2));
    EXPECT_EQ(list.currentIndex(), 0);
}

// ---- message boxes ----------------------------------------------------------------------

class MessageBoxes : public Contract, public testing::WithParamInterface<BoxIcon>
{
};

TEST_P(MessageBoxes, ShowTextTitleIconAndOneOkButton)
{
    driver->show(*view);
    view->messageBox(u"Text!", u"Title", GetParam());
    EXPECT_EQ(driver->boxes(),
        (std::vector<contract::Box> {{u"Text!", u"Title", GetParam(), 1, u"Sample window"}}));
}

INSTANTIATE_TEST_SUITE_P(Icons, MessageBoxes,
    testing::Values(BoxIcon::Critical, BoxIcon::Exclamation, BoxIcon::Information),
    [](const testing::TestParamInfo<BoxIcon> &info) { return std::to_string(int(info.param)); });

// ---- tasks posted from other threads ---------------------------------------------------------

TEST_F(Contract, PostedTasksRunLaterOnTheWindowThreadInOrder)
{
    std::vector<int> order;
    bool onWindowThread = true;
    const std::thread::id windowThread = std::this_thread::get_id();
    std::thread poster([&] {
        for (int i = 0; i < 50; ++i) {
            driver->toolkit().post([&, i] {
                order.push_back(i);
                onWindowThread = onWindowThread && std::this_thread::get_id() == windowThread;
            });
        }
    });
    poster.join();
    EXPECT_TRUE(order.empty());
    ASSERT_TRUE(driver->waitUntil([&] { return order.size() == 50; }));
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(order[std::size_t(i)], i);
    EXPECT_TRUE(onWindowThread);
}

// ---- closing, and handlers that destroy their own view -------------------------------------

TEST_F(Contract, TheCloseButtonHidesTheWindowAndTellsTheFormOnce)
{
    driver->show(*view);
    int closes = 0;
    view->onClose = [&] { ++closes; };
    driver->closeButton(*view);
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(driver->shown(*view));
}

// What a handler may do: destroy the view whose event it answers.
enum class Destroyer { CloseFromAButton, Click, Key, Pick, Tick };
const char *const destroyerNames[] = {"CloseFromAButton", "Click", "Key", "Pick", "Tick"};

class HandlerDestroysItsView : public Contract, public testing::WithParamInterface<Destroyer>
{
};

TEST_P(HandlerDestroysItsView, AndNothingTouchesItAfterwards)
{
    driver->show(*view);
    int calls = 0;
    const auto destroy = [&] {
        ++calls;
        view.reset();
    };
    switch (GetParam()) {
    case Destroyer::CloseFromAButton:
        get<Button>("cmdGo").onClick = [&] { view->close(); };
        view->onClose = destroy;
        driver->click(*view, "cmdGo");
        break;
    case Destroyer::Click:
        get<Button>("cmdGo").onClick = destroy;
        driver->click(*view, "cmdGo");
        break;
    case Destroyer::Key:
        get<TextBox>("txtName").onKeyPress = [&](int key) {
            destroy();
            return key;
        };
        driver->type(*view, "txtName", u"ab");
        break;
    case Destroyer::Pick:
        get<ListBox>("lstItems").addItem(u"a");
        get<ListBox>("lstItems").onClick = destroy;
        driver->pick(*view, "lstItems", 0);
        break;
    case Destroyer::Tick: {
        auto &timer = get<Timer>("tmrClock");
        timer.onTick = destroy;
        timer.setEnabled(true);
        break;
    }
    }
    EXPECT_TRUE(driver->waitUntil([&] { return !view; }));
    driver->settle();
    EXPECT_EQ(calls, 1);
}

INSTANTIATE_TEST_SUITE_P(Handlers, HandlerDestroysItsView,
    testing::Values(Destroyer::CloseFromAButton, Destroyer::Click, Destroyer::Key, Destroyer::Pick,
        Destroyer::Tick),
    [](const testing::TestParamInfo<Destroyer> &info) {
        return std::string(destroyerNames[int(info.param)]);
    });

// ---- drive, folder and file lists -------------------------------------------------------------

class FileLists : public Contract
{
protected:
    TempFolder folder;
};

TEST_F(FileLists, StartAtTheCurrentFolderAndLeaveIt)
{
    fs::create_directory(folder.path() / "sub");
    const fs::path previous = fs::current_path();
    fs::current_path(folder.path());
    build(picker);
    const Text start = get<FolderList>("dirFile").path();
    const Text files = get<FileList>("filFile").path();
    const Text drive = get<DriveList>("drvFile").drive();
    const auto opened = get<FolderList>("dirFile").setPath(native(folder.path() / "sub"));
    const fs::path after = fs::current_path();
    fs::current_path(previous);

    EXPECT_EQ(start, native(folder.path()));
    EXPECT_EQ(files, native(folder.path()));
    EXPECT_EQ(opened, std::nullopt);
    EXPECT_EQ(after, folder.path());
    // The drive the folder is on, as the folder list opens it.
    ASSERT_FALSE(drive.empty());
    EXPECT_EQ(get<FolderList>("dirFile").setPath(drive), std::nullopt);
}

TEST_F(FileLists, TheFolderListOpensFoldersAndRefusesMissingOnes)
{
    fs::create_directories(folder.path() / "Sub" / "inner");
    fs::create_directories(folder.path() / "another");
    fs::create_directories(folder.path() / ".hidden");
    build(picker);
    auto &folders = get<FolderList>("dirFile");
    EXPECT_EQ(folders.setPath(native(folder.path())), std::nullopt);
    EXPECT_EQ(folders.path(), native(folder.path()));
    // From the root down to the open folder, then its subfolders, ignoring
    // case.
    const Rows rows = driver->rows(*view, "dirFile");
    ASSERT_GE(rows.size(), 3u);
    const auto trimmed = [](Text row) { return row.erase(0, row.find_first_not_of(u' ')); };
    EXPECT_EQ(rows.front(), native(folder.path().root_path()));
    EXPECT_EQ(trimmed(rows[rows.size() - 3]), native(folder.path().filename()));
    EXPECT_EQ(trimmed(rows[rows.size() - 2]), u"another");
    EXPECT_EQ(trimmed(rows[rows.size() - 1]), u"Sub");

    int changes = 0;
    folders.onChange = [&] { ++changes; };
    driver->doubleClick(*view, "dirFile", int(rows.size()) - 1);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(folders.path(), native(folder.path() / "Sub"));

    const auto error = folders.setPath(native(folder.path() / "missing"));
    ASSERT_TRUE(error);
    EXPECT_FALSE(error->empty());
    EXPECT_NE(error->back(), u'.');
    EXPECT_EQ(folders.path(), native(folder.path() / "Sub"));
}

TEST_F(FileLists, TheFileListShowsOrdinaryFilesSortedIgnoringCase)
{
    for (const char *name : {"B.txt", "a.exe", "C.sh", ".hidden"})
        folder.writeFile(name);
    fs::create_directory(folder.path() / "folder");
    // Where the system has links: one that leads nowhere is no file.
    std::error_code noLinks;
    fs::create_symlink(folder.path() / "missing", folder.path() / "dangling", noLinks);
    build(picker);
    auto &files = get<FileList>("filFile");
    files.setPath(native(folder.path()));
    EXPECT_EQ(files.path(), native(folder.path()));
    EXPECT_EQ(driver->rows(*view, "filFile"), (Rows {u"a.exe", u"B.txt", u"C.sh"}));
    EXPECT_EQ(files.selectedName(), u"");
    int doubleClicks = 0;
    files.onDoubleClick = [&] { ++doubleClicks; };
    driver->show(*view);
    driver->pick(*view, "filFile", 1);
    EXPECT_EQ(files.selectedName(), u"B.txt");
    driver->doubleClick(*view, "filFile", 2);
    EXPECT_EQ(doubleClicks, 1);
    EXPECT_EQ(files.selectedName(), u"C.sh");
}

} // namespace
