// What the Win32 layer logs when a command line starts nothing: one error
// event in the Application log under the program's name, with the line and
// the reason.  A stand-in advapi32.dll beside this test records the calls
// (fake_advapi32.c); Wine's own would only trace them.
#include "platform.h"
#include "readwhole.h"
#include "rows.h"
#include "tempfolder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

bool standInIsLoaded()
{
    HMODULE advapi = ::LoadLibraryW(L"advapi32.dll");
    return advapi && ::GetProcAddress(advapi, "QuillonFakeEventLog") != nullptr;
}

std::u16string u16(const fs::path &path)
{
    const std::wstring wide = path.wstring();
    return std::u16string(wide.begin(), wide.end());
}

struct LoggedCase
{
    const char *name;
    std::u16string (*commandLine)(const fs::path &folder);
    // The event's text after the line; nullptr when nothing is logged.
    const char *reason;
    // The line as the event names it, when not the whole command line.
    std::u16string (*shown)(const fs::path &folder) = nullptr;
};

using testsupport::PrintTo;

using EventLogReportTest = testing::TestWithParam<LoggedCase>;

TEST_P(EventLogReportTest, LogsWhatDidNotStart)
{
    ASSERT_TRUE(standInIsLoaded()) << "the stand-in advapi32.dll must lie next to the test, and "
                                      "WINEDLLOVERRIDES must hold advapi32=n";
    const LoggedCase &c = GetParam();
    TempFolder folder;
    const fs::path log = folder.path() / "eventlog.log";
    ::SetEnvironmentVariableW(L"QUILLON_FAKE_EVENTLOG_LOG", log.c_str());

    testing::internal::CaptureStderr();
    EXPECT_FALSE(StartProgram(c.commandLine(folder.path())));
    testing::internal::GetCapturedStderr();
    ::SetEnvironmentVariableW(L"QUILLON_FAKE_EVENTLOG_LOG", nullptr);

    if (!c.reason) {
        EXPECT_FALSE(fs::exists(log));
        return;
    }
    const std::u16string shown = (c.shown ? c.shown : c.commandLine)(folder.path());
    const std::string expected = "register source=platform_eventlog_test\n"
                                 "report type=1 id=0 text=could not start \""
        + fs::path(shown).string() + "\": " + c.reason + "\nderegister\n";
    EXPECT_EQ(readWhole(log), expected);
}

INSTANTIATE_TEST_SUITE_P(CommandLines, EventLogReportTest,
    testing::Values(
        LoggedCase {"MissingProgram",
            [](const fs::path &f) { return u"\"" + u16(f / "no-such-program.exe") + u"\" one"; },
            "File not found."},
        LoggedCase {"Nul",
            [](const fs::path &f) {
                return u16(f / "program.exe") + std::u16string(1, u'\0') + u" hidden";
            },
            "its command line holds a NUL character",
            [](const fs::path &f) { return u16(f / "program.exe"); }},
        LoggedCase {"OnlyBlanks", [](const fs::path &) { return std::u16string(u"  "); }, nullptr}),
    testsupport::RowName());

} // namespace
