// Quillpost's window on the Win32 toolkit: the form's flows through the
// real controls and the real platform under Wine, with the stand-in
// netapi32.dll beside the test.
#include "exeresources.h"
#include "fakenetapi.h"
#include "frmmain.h"
#include "resourceids.h"
#include "tempfolder.h"
#include "windowchecks.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

using namespace win32testing;

namespace {

const std::wstring typedMessage = L"Gr\u00fc\u00dfe \u20ac5\r\nzweite Zeile";

// The captions the window is given, in order.
struct CaptionLog
{
    static inline HWND window = nullptr;
    static inline std::vector<std::wstring> captions;

    static LRESULT CALLBACK hook(int code, WPARAM wParam, LPARAM lParam)
    {
        const auto *call = reinterpret_cast<const CWPSTRUCT *>(lParam);
        if (code == HC_ACTION && call->hwnd == window && call->message == WM_SETTEXT)
            captions.emplace_back(reinterpret_cast<const wchar_t *>(call->lParam));
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }
};

class QuillpostWindow : public testing::Test
{
protected:
    QuillpostWindow()
    {
        toolkit.setQuitOnLastWindowClosed(false);
        system.folder = native(files.path());
    }

    void start()
    {
        form = std::make_unique<quillpost::FrmMain>(toolkit, system);
        form->show();
        pumpUntil(toolkit, [&] { return ::GetActiveWindow() == window(); });
    }
    HWND window() { return forms::win32::windowOf(form->view()); }
    HWND control(const char *name)
    {
        return win32testing::control(form->view(), quillpost::mainWindow, name);
    }
    void type(const char *name, const std::wstring &characters)
    {
        ::SetFocus(control(name));
        for (const wchar_t c : characters) {
            if (c == L'\n')
                continue;
            if (c == L'\r')
                pressKey(control(name), VK_RETURN);
            else
                typeText(control(name), std::wstring(1, c));
            toolkit.processPendingEvents();
        }
    }
    bool sendEnabled() { return ::IsWindowEnabled(control("cmdSend")) != FALSE; }

    TempFolder files;
    FolderSystem system;
    forms::win32::Toolkit toolkit;
    std::unique_ptr<quillpost::FrmMain> form;
};

TEST_F(QuillpostWindow, CarriesItsIcon)
{
    start();
    EXPECT_TRUE(::SendMessageW(window(), WM_GETICON, ICON_BIG, 0));
    EXPECT_TRUE(::SendMessageW(window(), WM_GETICON, ICON_SMALL, 0));
}

TEST_F(QuillpostWindow, SendIsEnabledWhileBothTextsHoldSomething)
{
    start();
    type("txtTo", L" ");
    EXPECT_FALSE(sendEnabled());
    type("txtMessage", L" ");
    EXPECT_TRUE(sendEnabled());
    type("txtTo", L"\b");
    EXPECT_FALSE(sendEnabled());
}

TEST_F(QuillpostWindow, PresetRecipientFromTheSettingsFile)
{
    std::ofstream(files.path() / "Quillpost.ini", std::ios::binary) << "\"PC 12, upstairs\"\r\n";
    start();
    EXPECT_EQ(text(control("txtTo")), L"PC 12, upstairs");
    EXPECT_FALSE(sendEnabled());
    EXPECT_EQ(::GetFocus(), control("txtTo"));
}

TEST_F(QuillpostWindow, SuccessfulSend)
{
    probe::FakeNetapi netapi;
    start();
    type("txtTo", L"OFFICE-PC");
    type("txtMessage", typedMessage);
    EXPECT_EQ(text(control("txtMessage")), typedMessage);
    CaptionLog::window = window();
    CaptionLog::captions.clear();
    const HHOOK hook
        = ::SetWindowsHookExW(WH_CALLWNDPROC, &CaptionLog::hook, nullptr, ::GetCurrentThreadId());
    BoxWatcher boxes;
    ::SendMessageW(control("cmdSend"), BM_CLICK, 0, 0);
    ::UnhookWindowsHookEx(hook);

    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, L"Message sent!");
    EXPECT_EQ(boxes.boxes[0].title, L"Success");
    EXPECT_EQ(boxes.boxes[0].icon, MB_ICONINFORMATION);
    EXPECT_EQ(boxes.boxes[0].owner, window());
    EXPECT_EQ(
        CaptionLog::captions, (std::vector<std::wstring> {L"Sending...", L"Windows Quillon"}));
    EXPECT_EQ(text(control("txtMessage")), L"");
    EXPECT_FALSE(sendEnabled());
    EXPECT_EQ(text(control("txtTo")), L"OFFICE-PC");
    EXPECT_EQ(::GetFocus(), control("txtMessage"));

    const auto calls = netapi.calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(probe::fromUtf16Hex(calls[0].recipient), u"OFFICE-PC");
    const std::u16string message(typedMessage.begin(), typedMessage.end());
    EXPECT_EQ(probe::fromUtf16Hex(calls[0].text), message);
    EXPECT_EQ(calls[0].length, 2 * message.size() + 1);
}

TEST_F(QuillpostWindow, FailedSend)
{
    probe::FakeNetapi netapi;
    netapi.answer(2273);
    start();
    type("txtTo", L"NOBODY");
    type("txtMessage", L"Hello");
    BoxWatcher boxes;
    std::wstring captionWhileOpen;
    boxes.whileOpen = [&](const ShownBox &) { captionWhileOpen = text(window()); };
    ::SendMessageW(control("cmdSend"), BM_CLICK, 0, 0);

    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, L"Failed to send the message!");
    EXPECT_EQ(boxes.boxes[0].title, L"Error");
    EXPECT_EQ(boxes.boxes[0].icon, MB_ICONHAND);
    EXPECT_EQ(captionWhileOpen, L"Error");
    EXPECT_EQ(text(window()), L"Error");
    EXPECT_EQ(text(control("txtMessage")), L"Hello");
    EXPECT_TRUE(sendEnabled());
    EXPECT_EQ(::GetFocus(), control("txtMessage"));
}

TEST_F(QuillpostWindow, EnterInTheRecipientSends)
{
    probe::FakeNetapi netapi;
    start();
    type("txtTo", L"OFFICE-PC\r");
    // No message yet: nothing at all.
    EXPECT_TRUE(netapi.calls().empty());
    type("txtMessage", L"Hi");
    BoxWatcher boxes;
    type("txtTo", L"\r");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, L"Message sent!");
    EXPECT_EQ(netapi.calls().size(), 1u);
    EXPECT_EQ(text(control("txtTo")), L"OFFICE-PC");
}

TEST(QuillpostExe, IconAsExplorerShowsIt)
{
    const auto program = besideThisTest(L"Quillpost.exe");
    ASSERT_TRUE(std::filesystem::exists(program));
    EXPECT_EQ(firstIconGroup(program), L"QUILLPOST");
    EXPECT_EQ(iconGroup(program, L"quillpost"), (std::vector<IconImage> {{32, 32, 4}}));
}

TEST(QuillpostExe, VersionRecord)
{
    const auto record = versionRecord(besideThisTest(L"Quillpost.exe"));
    EXPECT_EQ(record.block, L"040904B0");
    EXPECT_EQ(record.strings,
        (std::map<std::wstring, std::wstring> {
            {L"Comments", L"Send messages on Windows NT/2000/XP."},
            {L"FileDescription", L"Send messages on Windows NT/2000/XP"},
            {L"FileVersion", L"1.00.0011"},
            {L"InternalName", L"Quillpost"},
            {L"OriginalFilename", L"Quillpost.exe"},
            {L"ProductName", L"Windows Quillon"},
            {L"ProductVersion", L"1.00.0011"},
        }));
}

TEST(QuillpostExe, TellsWindowsItScalesWithTheDpi)
{
    const std::string manifest = win32testing::resourceBytes(
        win32testing::besideThisTest(L"Quillpost.exe"), QUILLON_RT_MANIFEST, QUILLON_MANIFEST);
    EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos) << manifest;
}

} // namespace
