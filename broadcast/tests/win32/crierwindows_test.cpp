// Crier's two windows on the Win32 toolkit: the forms' flows through the
// real controls and the real platform under Wine.
#include "crierwindows.h"
#include "exeresources.h"
#include "resourceids.h"

#include <map>
#include <set>

using namespace win32testing;
using Items = std::vector<std::wstring>;

namespace {

TEST_F(CrierWindows, EnterInTheAddressFieldAddsToTheBook)
{
    start();
    ::SetFocus(control("txtAddress"));
    type("txtAddress", L"PC1");
    press("txtAddress", VK_RETURN);
    EXPECT_EQ(items("lstNetwork"), Items {L"PC1"});
    EXPECT_EQ(text(control("txtAddress")), L"");
    type("txtAddress", L"PC2");
    press("txtAddress", VK_RETURN);
    EXPECT_EQ(items("lstNetwork"), (Items {L"PC2", L"PC1"}));
}

TEST_F(CrierWindows, PickedEntryIsCurrentForTheNextAdd)
{
    writeFile("ZK.INI", "[List]\r\n0=A\r\n1=B\r\n2=C\r\n");
    start();
    const HWND list = control("lstNetwork");
    win32testing::click(list, listItemCentre(list, 2));
    ASSERT_TRUE(pumpUntil(toolkit, [&] { return text(control("txtAddress")) == L"C"; }));
    ::SetWindowTextW(control("txtAddress"), L"NEW");
    click("cmdAdd");
    EXPECT_EQ(items("lstNetwork"), (Items {L"A", L"B", L"NEW", L"C"}));
    // "-" takes the lowest selected entry only.
    ::SendMessageW(list, LB_SETSEL, TRUE, 0);
    click("cmdRemove");
    EXPECT_EQ(items("lstNetwork"), (Items {L"B", L"NEW", L"C"}));
}

TEST_F(CrierWindows, CountBoxTakesDigitsAndBackspaceOnly)
{
    start();
    ::SetFocus(control("txtCount"));
    ::SendMessageW(control("txtCount"), EM_SETSEL, 2, 2);
    type("txtCount", L"7a-. \x16");
    press("txtCount", VK_RETURN);
    EXPECT_EQ(text(control("txtCount")), L"607");
    type("txtCount", L"\b");
    EXPECT_EQ(text(control("txtCount")), L"60");
}

TEST_F(CrierWindows, GreyFromTheSettingsFileAndClicksNeverGrey)
{
    writeFile("ZK.INI", "[Options]\r\nCount=2\r\nFile=C:\\run.bat\r\n");
    start();
    const HWND check = control("chkCount");
    EXPECT_EQ(::SendMessageW(check, BM_GETCHECK, 0, 0), BST_INDETERMINATE);
    EXPECT_EQ(text(control("txtFile")), L"C:\\run.bat");
    std::vector<LRESULT> states;
    for (int i = 0; i < 3; ++i) {
        click("chkCount");
        states.push_back(::SendMessageW(check, BM_GETCHECK, 0, 0));
    }
    EXPECT_EQ(states, (std::vector<LRESULT> {BST_CHECKED, BST_UNCHECKED, BST_CHECKED}));
}

TEST_F(CrierWindows, BroadcastRunThroughTheService)
{
    probe::FakeNetapi netapi;
    netapi.refuse(u"REFUSED");
    writeFile("ZK.INI", "[List]\r\n0=PC1\r\n1=10.0.0.1-10.0.0.2\r\n2=REFUSED\r\n");
    start();
    ::SetWindowTextW(control("txtMessage"), L"Hi \u00dc\u20ac!\r\nLine two");
    BoxWatcher boxes;
    Items statusWhileBoxOpen;
    boxes.whileOpen = [&](const ShownBox &) { statusWhileBoxOpen = items("lstStatus"); };
    click("cmdSend");
    // The sends run beside the window; their results come back through its
    // message loop.
    ASSERT_TRUE(pumpUntil(toolkit, [&] { return items("lstStatus").size() == 6; }));

    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].title, L"Done");
    EXPECT_EQ(boxes.boxes[0].text, L"The message was broadcasted!");
    EXPECT_EQ(boxes.boxes[0].icon, MB_ICONINFORMATION);
    EXPECT_EQ(boxes.boxes[0].owner, mainWindow());
    const Items results {L"PC1 - OK", L"10.0.0.1 - OK", L"10.0.0.2 - OK", L"REFUSED - Failed"};
    EXPECT_EQ(statusWhileBoxOpen, results);
    Items all = results;
    all.insert(all.end(), {L"", L"Done."});
    EXPECT_EQ(items("lstStatus"), all);
    // It holds the hosts under way: none after the run.
    EXPECT_EQ(items("lstTemp"), Items {});
    EXPECT_EQ(text(control("cmdSend")), L"&Send");
    EXPECT_TRUE(::IsWindowEnabled(control("cmdSend")));

    const auto calls = netapi.calls();
    ASSERT_EQ(calls.size(), 4u);
    std::multiset<std::u16string> recipients;
    for (const probe::NetapiCall &call : calls)
        recipients.insert(probe::fromUtf16Hex(call.recipient));
    EXPECT_EQ(
        recipients, (std::multiset<std::u16string> {u"PC1", u"10.0.0.1", u"10.0.0.2", u"REFUSED"}));
    const std::u16string message = u"Hi \u00dc\u20ac!\r\nLine two";
    for (const probe::NetapiCall &call : calls) {
        EXPECT_TRUE(call.serverNull);
        EXPECT_TRUE(call.senderNull);
        EXPECT_EQ(probe::fromUtf16Hex(call.text), message);
        EXPECT_EQ(call.length, 2 * message.size() + 1);
    }
}

TEST_F(CrierWindows, WindowTakesInputWhileSendsAreUnderWay)
{
    probe::FakeNetapi netapi;
    // Each call takes its time, as the service does with a slow receiver.
    netapi.delay(1500);
    writeFile("ZK.INI", "[List]\r\n0=PC1\r\n1=PC2\r\n");
    start();
    ::SetWindowTextW(control("txtMessage"), L"Hi");
    BoxWatcher boxes;
    click("cmdSend");
    EXPECT_EQ(text(control("cmdSend")), L"Sending...");
    EXPECT_FALSE(::IsWindowEnabled(control("cmdSend")));
    typeText(control("txtAddress"), L"x");
    ASSERT_TRUE(pumpUntil(toolkit, [&] { return text(control("txtAddress")) == L"x"; }));
    EXPECT_EQ(text(control("cmdSend")), L"Sending...");
    EXPECT_TRUE(boxes.boxes.empty());

    ASSERT_TRUE(pumpUntil(toolkit, [&] { return items("lstStatus").size() == 4; }));
    EXPECT_EQ(items("lstStatus"), (Items {L"PC1 - OK", L"PC2 - OK", L"", L"Done."}));
    EXPECT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(text(control("cmdSend")), L"&Send");
}

// "&Save settings" and "&Send" share S.  The dialog manager presses the
// first control with the key, searching from the focused one in tab order
// and wrapping round.
TEST_F(CrierWindows, SharedAccessKeyPressesTheFirstFromTheFocus)
{
    probe::FakeNetapi netapi;
    writeFile("ZK.INI", "[List]\r\n0=PC1\r\n");
    start();
    ::SetWindowTextW(control("txtMessage"), L"Hi");
    BoxWatcher boxes;
    const auto saved = [&] { return std::filesystem::exists(files.path() / "Message.txt"); };
    const auto pressS = [&](const char *focus) {
        std::filesystem::remove(files.path() / "Message.txt");
        ::SetFocus(control(focus));
        pressAccessKey(control(focus), L's');
        return pumpUntil(toolkit, [&] { return saved() || !boxes.boxes.empty(); });
    };

    // The book, where the focus starts, comes before both.
    ASSERT_TRUE(pressS("lstNetwork"));
    EXPECT_TRUE(saved());
    EXPECT_TRUE(boxes.boxes.empty());
    // On "&Save settings" itself: saves again.
    ASSERT_TRUE(pressS("cmdSave"));
    EXPECT_TRUE(saved());
    EXPECT_TRUE(boxes.boxes.empty());
    // After both: round to "&Save settings".
    ASSERT_TRUE(pressS("txtMessage"));
    EXPECT_TRUE(saved());
    EXPECT_TRUE(boxes.boxes.empty());
    // Only from "&Send" itself does Alt+S send.
    ASSERT_TRUE(pressS("cmdSend"));
    EXPECT_FALSE(saved());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].title, L"Done");
}

TEST_F(CrierWindows, SaveWritesBesideTheProgramAndTheNextStartLoads)
{
    start();
    ::SetFocus(control("txtAddress"));
    for (const wchar_t *entry : {L"PC2", L"10.0.0.1-10.0.0.3"}) {
        type("txtAddress", entry);
        press("txtAddress", VK_RETURN);
    }
    ::SetWindowTextW(control("txtMessage"), L"Line one\r\nLine two");
    click("chkCount");
    ::SetWindowTextW(control("txtFile"), L"C:\\Tools\\halt.exe");
    click("cmdSave");
    EXPECT_EQ(readFile("Message.txt"), "Line one\r\nLine two");

    form.reset();
    start();
    EXPECT_EQ(items("lstNetwork"), (Items {L"10.0.0.1-10.0.0.3", L"PC2"}));
    EXPECT_EQ(text(control("txtMessage")), L"Line one\r\nLine two");
    EXPECT_EQ(::SendMessageW(control("chkCount"), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(text(control("txtFile")), L"C:\\Tools\\halt.exe");
    EXPECT_EQ(items("lstStatus"), Items {L"Ready"});
}

TEST_F(CrierWindows, FilePickerPutsThePickedFileIntoTheProgramField)
{
    std::filesystem::create_directory(files.path() / "Tools");
    std::ofstream(files.path() / "Tools" / "halt.exe") << "x";
    start();
    click("cmdBrowse");
    crier::FrmFile *picker = form->filePicker();
    ASSERT_TRUE(picker);
    const HWND window = forms::win32::windowOf(picker->view());
    // Pressing "..." again brings the same picker to the front.
    ::SetActiveWindow(mainWindow());
    click("cmdBrowse");
    EXPECT_EQ(form->filePicker(), picker);
    ASSERT_TRUE(pumpUntil(toolkit, [&] { return ::GetActiveWindow() == window; }));

    ASSERT_EQ(
        picker->view().get<forms::FolderList>("dirFile").setPath(native(files.path() / "Tools")),
        std::nullopt);
    picker->view().get<forms::FileList>("filFile").setPath(native(files.path() / "Tools"));
    const HWND fileList = win32testing::control(picker->view(), crier::filePickerWindow, "filFile");
    const POINT at = listItemCentre(fileList, 0);
    ::PostMessageW(fileList, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    ::PostMessageW(fileList, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    ::PostMessageW(fileList, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    ::PostMessageW(fileList, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    ASSERT_TRUE(pumpUntil(toolkit, [&] { return !form->filePicker(); }));
    EXPECT_EQ(text(control("txtFile")), (files.path() / "Tools" / "halt.exe").wstring());
    EXPECT_FALSE(::IsWindow(window));
}

TEST_F(CrierWindows, WindowsCarryTheirIcons)
{
    start();
    click("cmdBrowse");
    ASSERT_TRUE(form->filePicker());
    const HWND picker = forms::win32::windowOf(form->filePicker()->view());
    for (const HWND window : {mainWindow(), picker}) {
        EXPECT_TRUE(::SendMessageW(window, WM_GETICON, ICON_BIG, 0));
        EXPECT_TRUE(::SendMessageW(window, WM_GETICON, ICON_SMALL, 0));
    }
    EXPECT_NE(::SendMessageW(mainWindow(), WM_GETICON, ICON_SMALL, 0),
        ::SendMessageW(picker, WM_GETICON, ICON_SMALL, 0));
}

TEST(CrierExe, IconsAsExplorerShowsThem)
{
    const auto program = win32testing::besideThisTest(L"Crier.exe");
    ASSERT_TRUE(std::filesystem::exists(program));
    using Images = std::vector<win32testing::IconImage>;
    // The icons the windows' tables name; Explorer shows the program's.
    const auto named = [](const forms::WindowSpec &window) {
        const std::string name = window.icon;
        return std::wstring(name.begin(), name.end());
    };
    EXPECT_EQ(
        win32testing::iconGroup(program, named(crier::mainWindow).c_str()), (Images {{32, 32, 4}}));
    EXPECT_EQ(win32testing::iconGroup(program, named(crier::filePickerWindow).c_str()),
        (Images {{16, 16, 4}}));
    EXPECT_EQ(win32testing::firstIconGroup(program), L"CRIER");
}

TEST(CrierExe, VersionRecord)
{
    const auto record = win32testing::versionRecord(win32testing::besideThisTest(L"Crier.exe"));
    EXPECT_EQ(record.block, L"040904B0");
    EXPECT_EQ(record.strings,
        (std::map<std::wstring, std::wstring> {
            {L"Comments", L"Broadcast a message in NT network."},
            {L"FileDescription", L"Broadcast a message in NT network"},
            {L"FileVersion", L"1.00.0002"},
            {L"InternalName", L"Crier"},
            {L"OriginalFilename", L"Crier.exe"},
            {L"ProductName", L"Crier"},
            {L"ProductVersion", L"1.00.0002"},
        }));
}

TEST(CrierExe, TellsWindowsItScalesWithTheDpi)
{
    const std::string manifest = win32testing::resourceBytes(
        win32testing::besideThisTest(L"Crier.exe"), QUILLON_RT_MANIFEST, QUILLON_MANIFEST);
    EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos) << manifest;
}

} // namespace
