// Quillpost.exe end to end under Wine, driven from outside its process: a
// copy of the program with the stand-in netapi32.dll and a preset
// Quillpost.ini beside it, in a folder of the test's own.
#include "exeresources.h"
#include "fakenetapi.h"
#include "frmmain.h"
#include "programdriver.h"
#include "resourceids.h"
#include "tempfolder.h"
#include "win32toolkit.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

using namespace win32testing;
namespace fs = std::filesystem;

namespace {

class QuillpostExe : public testing::Test
{
protected:
    QuillpostExe()
    {
        fs::copy_file(besideThisTest(L"Quillpost.exe"), folder.path() / "Quillpost.exe");
        fs::copy_file(besideThisTest(L"netapi32.dll"), folder.path() / "netapi32.dll");
        std::ofstream(folder.path() / "Quillpost.ini", std::ios::binary) << "OFFICE-PC,PC13\r\n";
        netapi.refuse(u"REFUSED");
    }

    HWND control(const char *name) const
    {
        return ::GetDlgItem(window, forms::win32::controlId(quillpost::mainWindow, name));
    }
    bool enabled(const char *name) const { return ::IsWindowEnabled(control(name)) != FALSE; }
    // Keys as the keyboard would send them: each character, Enter for a line
    // break.  The character of Enter joins the queue only when its key is
    // handled: the keys after it wait for the line break.
    void type(const char *name, const std::wstring &characters) const
    {
        for (const wchar_t c : characters) {
            if (c == L'\r') {
                pressKey(control(name), VK_RETURN);
                program->waitUntil([&] {
                    const std::wstring now = controlText(control(name));
                    return now.size() >= 2 && now.compare(now.size() - 2, 2, L"\r\n") == 0;
                });
            } else if (c != L'\n') {
                ::PostMessageW(control(name), WM_CHAR, WPARAM(c), 1);
            }
        }
    }

    TempFolder folder;
    probe::FakeNetapi netapi;
    std::unique_ptr<RunningProgram> program;
    HWND window = nullptr;
};

TEST_F(QuillpostExe, SendsAndReportsSuccessAndFailure)
{
    program = std::make_unique<RunningProgram>(folder.path() / "Quillpost.exe", folder.path());
    window = program->waitForWindow(L"QuillonWindow", L"Windows Quillon");
    ASSERT_TRUE(window) << "no window";
    // The recipient comes from Quillpost.ini; Send waits for a message.
    EXPECT_EQ(controlText(control("txtTo")), L"OFFICE-PC");
    EXPECT_FALSE(enabled("cmdSend"));

    const std::wstring message = L"Caf\u00e9 um 3?\r\n\u041f\u0440\u0438\u0432\u0435\u0442 \u20ac";
    type("txtMessage", message);
    ASSERT_TRUE(program->waitUntil([&] { return controlText(control("txtMessage")) == message; }));
    EXPECT_TRUE(enabled("cmdSend"));
    ::PostMessageW(control("cmdSend"), BM_CLICK, 0, 0);

    HWND box = program->waitForWindow(L"#32770");
    ASSERT_TRUE(box) << "no message box";
    BoxSeen seen = readBox(box);
    EXPECT_EQ(seen.title, L"Success");
    EXPECT_EQ(seen.text, L"Message sent!");
    answerBox(box);
    ASSERT_TRUE(program->waitUntil([&] { return !program->window(L"#32770"); }));
    EXPECT_TRUE(program->waitUntil([&] { return controlText(control("txtMessage")).empty(); }));
    EXPECT_EQ(controlText(window), L"Windows Quillon");
    EXPECT_FALSE(enabled("cmdSend"));

    auto calls = netapi.calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(probe::fromUtf16Hex(calls[0].recipient), u"OFFICE-PC");
    const std::u16string sent(message.begin(), message.end());
    EXPECT_EQ(probe::fromUtf16Hex(calls[0].text), sent);
    EXPECT_EQ(calls[0].length, 2 * sent.size() + 1);
    EXPECT_TRUE(calls[0].serverNull);
    EXPECT_TRUE(calls[0].senderNull);

    // A recipient the service refuses.
    ::SendMessageW(control("txtTo"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"REFUSED"));
    type("txtMessage", L"Again");
    ASSERT_TRUE(program->waitUntil([&] { return enabled("cmdSend"); }));
    ::PostMessageW(control("cmdSend"), BM_CLICK, 0, 0);
    box = program->waitForWindow(L"#32770");
    ASSERT_TRUE(box) << "no message box";
    seen = readBox(box);
    EXPECT_EQ(seen.title, L"Error");
    EXPECT_EQ(seen.text, L"Failed to send the message!");
    EXPECT_EQ(controlText(window), L"Error");
    answerBox(box);
    ASSERT_TRUE(program->waitUntil([&] { return !program->window(L"#32770"); }));
    EXPECT_EQ(controlText(window), L"Error");
    EXPECT_EQ(controlText(control("txtMessage")), L"Again");
    EXPECT_EQ(netapi.calls().size(), 2u);

    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(program->waitForExit(), 0u);
}

TEST(QuillpostExeFile, IconAsExplorerShowsIt)
{
    const auto program = besideThisTest(L"Quillpost.exe");
    ASSERT_TRUE(std::filesystem::exists(program));
    // The icon the window's table names.
    const std::string name = quillpost::mainWindow.icon;
    EXPECT_EQ(iconGroup(program, std::wstring(name.begin(), name.end()).c_str()),
        (std::vector<IconImage> {{32, 32, 4}}));
    EXPECT_EQ(firstIconGroup(program), L"QUILLPOST");
}

TEST(QuillpostExeFile, VersionRecord)
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

TEST(QuillpostExeFile, TellsWindowsItScalesWithTheDpi)
{
    const std::string manifest = win32testing::resourceBytes(
        win32testing::besideThisTest(L"Quillpost.exe"), QUILLON_RT_MANIFEST, QUILLON_MANIFEST);
    EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos) << manifest;
}

} // namespace
