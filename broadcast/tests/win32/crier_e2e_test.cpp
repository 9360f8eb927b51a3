// Crier.exe end to end under Wine, driven from outside its process: a copy
// of the program with the stand-in netapi32.dll beside it, in a folder of
// the test's own, so that its settings files land there.
#include "fakenetapi.h"
#include "programdriver.h"
#include "readwhole.h"
#include "tempfolder.h"
#include "win32toolkit.h"
#include "windowtables.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

using namespace win32testing;
using Items = std::vector<std::wstring>;
namespace fs = std::filesystem;

namespace {

const wchar_t mainCaption[] = L"Broadcast A Message To The Network";

fs::path besideThisTest(const wchar_t *name)
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return fs::path(path).parent_path() / name;
}

std::wstring profileValue(const fs::path &file, const wchar_t *section, const wchar_t *key)
{
    wchar_t value[256] = {};
    ::GetPrivateProfileStringW(section, key, L"(none)", value, 256, file.c_str());
    return value;
}

class CrierExe : public testing::Test
{
protected:
    CrierExe()
    {
        fs::copy_file(besideThisTest(L"Crier.exe"), folder.path() / "Crier.exe");
        fs::copy_file(besideThisTest(L"netapi32.dll"), folder.path() / "netapi32.dll");
        fs::copy_file(besideThisTest(L"platform_start_child.exe"), folder.path() / "marker.exe");
        netapi.refuse(u"REFUSED");
    }

    // Starts Crier.exe and waits for its window.
    RunningProgram &start()
    {
        program = std::make_unique<RunningProgram>(folder.path() / "Crier.exe", folder.path());
        window = program->waitForWindow(L"QuillonWindow", mainCaption);
        return *program;
    }
    HWND control(const char *name) const
    {
        return ::GetDlgItem(window, forms::win32::controlId(crier::mainWindow, name));
    }
    void setText(const char *name, const std::wstring &value) const
    {
        ::SendMessageW(control(name), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
    }
    void press(const char *name) const { ::PostMessageW(control(name), BM_CLICK, 0, 0); }

    // Types each entry into the address field and presses Enter; each one
    // goes to the top of the book.
    void addToBook(const Items &entries) const
    {
        for (const std::wstring &entry : entries) {
            const std::size_t before = listItems(control("lstNetwork")).size();
            setText("txtAddress", entry);
            pressKey(control("txtAddress"), VK_RETURN);
            ASSERT_TRUE(program->waitUntil([&] {
                return listItems(control("lstNetwork")).size() == before + 1;
            })) << "Enter did not add "
                << entry.size() << " characters";
        }
    }

    TempFolder folder;
    probe::FakeNetapi netapi;
    std::unique_ptr<RunningProgram> program;
    HWND window = nullptr;
};

TEST_F(CrierExe, BroadcastWithStatusLinesAndDoneBox)
{
    start();
    ASSERT_TRUE(window) << "no window";
    EXPECT_EQ(listItems(control("lstStatus")), Items {L"Ready"});
    addToBook({L"REFUSED", L"10.0.0.1-10.0.0.2", L"PC1"});
    EXPECT_EQ(listItems(control("lstNetwork")), (Items {L"PC1", L"10.0.0.1-10.0.0.2", L"REFUSED"}));
    EXPECT_EQ(controlText(control("txtAddress")), L"");
    setText("txtMessage", L"Lunch at twelve.\r\nRoom 4");
    press("cmdSend");

    const HWND box = program->waitForWindow(L"#32770");
    ASSERT_TRUE(box) << "no message box";
    const BoxSeen seen = readBox(box);
    EXPECT_EQ(seen.title, L"Done");
    EXPECT_EQ(seen.text, L"The message was broadcasted!");
    const Items results {L"PC1 - OK", L"10.0.0.1 - OK", L"10.0.0.2 - OK", L"REFUSED - Failed"};
    // The closing lines follow the box.
    EXPECT_EQ(listItems(control("lstStatus")), results);
    answerBox(box);
    Items all = results;
    all.insert(all.end(), {L"", L"Done."});
    EXPECT_TRUE(program->waitUntil([&] { return listItems(control("lstStatus")) == all; }));
    EXPECT_EQ(listItems(control("lstStatus")), all);

    // The sends run side by side: the service sees them in any order.
    const auto calls = netapi.calls();
    ASSERT_EQ(calls.size(), 4u);
    std::multiset<std::u16string> recipients;
    for (const probe::NetapiCall &call : calls)
        recipients.insert(probe::fromUtf16Hex(call.recipient));
    EXPECT_EQ(
        recipients, (std::multiset<std::u16string> {u"PC1", u"10.0.0.1", u"10.0.0.2", u"REFUSED"}));
    for (const probe::NetapiCall &call : calls) {
        EXPECT_EQ(probe::fromUtf16Hex(call.text), u"Lunch at twelve.\r\nRoom 4");
        EXPECT_EQ(call.length, 2 * 24 + 1u);
    }

    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(program->waitForExit(), 0u);
    // Closing saves nothing.
    EXPECT_FALSE(fs::exists(folder.path() / "ZK.INI"));
}

TEST_F(CrierExe, SlowServiceHostsSideBySide)
{
    // Each call takes a second: one at a time, 100 hosts would take 100 s.
    netapi.delay(1000);
    start();
    ASSERT_TRUE(window) << "no window";
    addToBook({L"10.0.0.1-10.0.0.100"});
    setText("txtMessage", L"Fire drill.");
    const auto pressed = std::chrono::steady_clock::now();
    press("cmdSend");
    const HWND box = program->waitForWindow(L"#32770", {}, std::chrono::seconds(60));
    const auto took = std::chrono::steady_clock::now() - pressed;
    ASSERT_TRUE(box) << "no message box";
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(took).count();
    std::printf("100 hosts of 1 s each: %lld ms\n", static_cast<long long>(ms));
    EXPECT_LE(took, std::chrono::seconds(10)) << ms << " ms";

    // Each host exactly once, and the lines in book order.
    std::multiset<std::u16string> recipients;
    for (const probe::NetapiCall &call : netapi.calls())
        recipients.insert(probe::fromUtf16Hex(call.recipient));
    Items lines;
    std::multiset<std::u16string> expected;
    for (int n = 1; n <= 100; ++n) {
        const std::wstring host = L"10.0.0." + std::to_wstring(n);
        expected.insert(std::u16string(host.begin(), host.end()));
        lines.push_back(host + L" - OK");
    }
    EXPECT_EQ(recipients, expected);
    EXPECT_EQ(listItems(control("lstStatus")), lines);
    answerBox(box);
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(program->waitForExit(), 0u);
}

TEST_F(CrierExe, ClosingMidRunEndsTheProgramAndStartsNoFurtherSend)
{
    netapi.delay(2000);
    std::ofstream(folder.path() / "ZK.INI") << "[List]\r\n0=10.0.0.1-10.0.0.50\r\n"
                                            << "[Options]\r\nParallel=2\r\n";
    start();
    ASSERT_TRUE(window) << "no window";
    setText("txtMessage", L"Never mind.");
    press("cmdSend");
    ASSERT_TRUE(program->waitUntil([&] { return netapi.calls().size() == 2; }));
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    // The two calls under way end; no third begins.
    EXPECT_EQ(program->waitForExit(), 0u);
    EXPECT_EQ(netapi.calls().size(), 2u);
}

TEST_F(CrierExe, SaveWritesBesideTheProgramAndTheNextStartLoads)
{
    start();
    ASSERT_TRUE(window) << "no window";
    addToBook({L"10.0.0.1-10.0.0.3", L"OFFICE-PC"});
    setText("txtMessage", L"Back at two.\r\nThe desk");
    press("chkCount");
    ASSERT_TRUE(program->waitUntil(
        [&] { return ::SendMessageW(control("chkCount"), BM_GETCHECK, 0, 0) == BST_CHECKED; }));
    setText("txtFile", L"C:\\Tools\\halt.exe");
    press("cmdSave");
    const fs::path settings = folder.path() / "ZK.INI";
    const fs::path message = folder.path() / "Message.txt";
    ASSERT_TRUE(
        program->waitUntil([&] { return readWhole(message) == "Back at two.\r\nThe desk"; }));
    EXPECT_EQ(profileValue(settings, L"List", L"0"), L"OFFICE-PC");
    EXPECT_EQ(profileValue(settings, L"List", L"1"), L"10.0.0.1-10.0.0.3");
    EXPECT_EQ(profileValue(settings, L"List", L"2"), L"(none)");
    EXPECT_EQ(profileValue(settings, L"Options", L"Count"), L"1");
    EXPECT_EQ(profileValue(settings, L"Options", L"File"), L"C:\\Tools\\halt.exe");
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(program->waitForExit(), 0u);

    start();
    ASSERT_TRUE(window) << "no window after the restart";
    EXPECT_EQ(listItems(control("lstNetwork")), (Items {L"OFFICE-PC", L"10.0.0.1-10.0.0.3"}));
    EXPECT_EQ(controlText(control("txtMessage")), L"Back at two.\r\nThe desk");
    EXPECT_EQ(::SendMessageW(control("chkCount"), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(controlText(control("txtFile")), L"C:\\Tools\\halt.exe");
    EXPECT_EQ(controlText(control("txtCount")), L"60");
    EXPECT_EQ(listItems(control("lstStatus")), Items {L"Ready"});
}

TEST_F(CrierExe, CountdownOfOneStartsTheProgramAndEnds)
{
    const fs::path record = folder.path() / "marker.txt";
    const std::wstring commandLine
        = L"\"" + (folder.path() / "marker.exe").wstring() + L"\" " + record.wstring() + L" after";
    start();
    ASSERT_TRUE(window) << "no window";
    addToBook({L"PC1"});
    setText("txtMessage", L"Going down.");
    setText("txtCount", L"1");
    setText("txtFile", commandLine);
    press("chkCount");
    press("cmdSend");

    // No box: the run arms the countdown, which starts the program and ends
    // Crier.
    const auto code = program->waitForExit(std::chrono::seconds(20));
    ASSERT_TRUE(code) << "Crier did not end";
    EXPECT_EQ(*code, 0u);
    ASSERT_TRUE(waitForFile(record)) << "the program did not start";
    const std::string got = readWhole(record);
    const std::string narrow(commandLine.begin(), commandLine.end());
    EXPECT_NE(got.find("line=" + narrow + "\n"), std::string::npos) << got;
    EXPECT_NE(got.find("show=1\n"), std::string::npos) << got;
    EXPECT_EQ(netapi.calls().size(), 1u);
}

} // namespace
