// StartProgram against a child program that records what it got
// (start_child.cpp): Windows hands the command line over unchanged, POSIX
// splits it into words the way a shell would.
#include "platform.h"
#include "probe.h"
#include "readwhole.h"
#include "rows.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

struct Record
{
    std::string line;
    std::string show;
    std::string session;
    std::string input;
    std::vector<std::string> arguments;
};

Record readRecord(const fs::path &file)
{
    Record record;
    std::istringstream in(readWhole(file));
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("line=", 0) == 0)
            record.line = line.substr(5);
        else if (line.rfind("show=", 0) == 0)
            record.show = line.substr(5);
        else if (line.rfind("session=", 0) == 0)
            record.session = line.substr(8);
        else if (line.rfind("stdin=", 0) == 0)
            record.input = line.substr(6);
        else if (line.rfind("arg=", 0) == 0)
            record.arguments.push_back(line.substr(4));
    }
    return record;
}

std::string replaced(std::string text, const std::string &what, const std::string &with)
{
    for (std::size_t at = text.find(what); at != std::string::npos;
         at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

std::u16string wide(const std::string &ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

// What StartProgram said on stderr while it ran.
class StderrCapture
{
public:
    StderrCapture() { testing::internal::CaptureStderr(); }
    ~StderrCapture()
    {
        if (!m_taken)
            testing::internal::GetCapturedStderr();
    }
    std::string take()
    {
        m_taken = true;
        return testing::internal::GetCapturedStderr();
    }

private:
    bool m_taken = false;
};

#ifndef _WIN32
// While it lives, this process reads from a pipe, whatever it was started
// with, so that a child that inherits stdin can be told from one that got
// /dev/null.
class StdinFromPipe
{
public:
    StdinFromPipe() : m_saved(::dup(STDIN_FILENO))
    {
        int ends[2];
        if (::pipe(ends) == 0) {
            ::dup2(ends[0], STDIN_FILENO);
            ::close(ends[0]);
            m_writeEnd = ends[1];
        }
    }
    ~StdinFromPipe()
    {
        ::dup2(m_saved, STDIN_FILENO);
        ::close(m_saved);
        ::close(m_writeEnd);
    }
    StdinFromPipe(const StdinFromPipe &) = delete;
    StdinFromPipe &operator=(const StdinFromPipe &) = delete;

private:
    int m_saved;
    int m_writeEnd = -1;
};
#endif

// {child}, {record} and {folder} in a command line stand for the child
// program, the file it is to write and the folder that file goes in; {base}
// for the test's folder, which holds that folder.
struct StartCase
{
    const char *name;
    const char *folder; // where the record goes, inside the test's folder
    std::string commandLine;
    // The arguments the child gets; on Windows, where its own runtime splits
    // the unchanged line, windowsArguments when they differ.
    std::vector<std::string> arguments;
    std::optional<std::vector<std::string>> windowsArguments = std::nullopt;
    // A script mark.sh in the folder that starts the child with the record
    // and its own arguments (POSIX).
    bool script = false;
};

using testsupport::PrintTo;

using StartProgramTest = testing::TestWithParam<StartCase>;

TEST_P(StartProgramTest, ChildGetsTheCommandLine)
{
    const StartCase &c = GetParam();
    const fs::path child = probe::childProgram();
    ASSERT_TRUE(fs::exists(child)) << child;
    TempFolder root;
    const fs::path folder = root.path() / c.folder;
    fs::create_directories(folder);
    const std::string record = fs::path(probe::nativeText(folder / "record.txt")).string();
    const auto expand = [&](const std::string &text) {
        return replaced(
            replaced(replaced(text, "{child}", fs::path(probe::nativeText(child)).string()),
                "{record}", record),
            "{folder}", fs::path(probe::nativeText(folder)).string());
    };
    const std::string base = fs::path(probe::nativeText(root.path())).string();
    if (c.script) {
        const fs::path script = root.writeFile(fs::path(c.folder) / "mark.sh",
            expand("#!/bin/sh\nexec '{child}' '{record}' \"$@\"\n"));
        fs::permissions(script, fs::perms::owner_all);
    }
    const std::string commandLine = replaced(expand(c.commandLine), "{base}", base);

#ifndef _WIN32
    StdinFromPipe input;
#endif
    StderrCapture stderrOutput;
    ASSERT_TRUE(StartProgram(wide(commandLine))) << commandLine;
    EXPECT_EQ(stderrOutput.take(), "");

    ASSERT_TRUE(probe::waitForFile(record, 20s)) << "the child did not run: " << commandLine;
    const Record got = readRecord(record);
    std::vector<std::string> expected;
    const bool windows = probe::childSeesCommandLine();
    for (const std::string &argument :
        windows &&c.windowsArguments ? *c.windowsArguments : c.arguments)
        expected.push_back(expand(argument));
    EXPECT_EQ(got.arguments, expected);
    if (windows) {
        EXPECT_EQ(got.line, commandLine);
    }
    EXPECT_EQ(got.show, probe::expectedShowState());
#ifndef _WIN32
    // Detached: it outlives the caller and reads nothing of the caller's.
    EXPECT_EQ(got.session, "own");
    EXPECT_EQ(got.input, "/dev/null");
#endif
}

INSTANTIATE_TEST_SUITE_P(CommandLines, StartProgramTest,
    testing::Values(
        StartCase {"QuotedWordsWithBlanks", "with blank",
            "\"{child}\" \"{record}\" \"two words\" plain", {"{record}", "two words", "plain"}},
        StartCase {
            "NoQuotesAdded", "plain", "{child} {record} one two", {"{record}", "one", "two"}},
        StartCase {
            "RunsOfBlanks", "plain", "{child}   {record}    spaced  ", {"{record}", "spaced"}},
        // POSIX splits it as sh would; the child on Windows splits it itself,
        // where single quotes and lone backslashes are ordinary characters.
        StartCase {"QuotesAndBackslashes", "plain",
            R"({child} {record} "a \"q\" w" 'single q' "" back\\slash)",
            {"{record}", R"(a "q" w)", "single q", "", R"(back\slash)"},
            std::vector<std::string> {
                "{record}", R"(a "q" w)", "'single", "q'", "", R"(back\\slash)"}},
        StartCase {"NothingExpanded", "plain", "{child} {record} $HOME * ~ `x` $(y)",
            {"{record}", "$HOME", "*", "~", "`x`", "$(y)"}}),
    testsupport::RowName());

#ifndef _WIN32
// A program whose path holds a blank, quoted or escaped as in a shell.
INSTANTIATE_TEST_SUITE_P(ShellWords, StartProgramTest,
    testing::Values(StartCase {"SingleQuotedPath", "with space", "'{base}/with space/mark.sh' one",
                        {"{record}", "one"}, std::nullopt, true},
        StartCase {"EscapedBlank", "with space", R"({base}/with\ space/mark.sh)", {"{record}"},
            std::nullopt, true}),
    testsupport::RowName());
#endif

// A command line that starts nothing, and what the report says after the
// line (nullptr: nothing is reported).  The line may start the child with
// {record}: it must then not run.
struct RefusedCase
{
    const char *name;
    std::u16string (*commandLine)(const fs::path &folder);
    const char *reason;
};

using NothingStartsTest = testing::TestWithParam<RefusedCase>;

TEST_P(NothingStartsTest, GivesFalseAndSaysWhy)
{
    const RefusedCase &c = GetParam();
    TempFolder folder;
    const std::u16string commandLine = c.commandLine(folder.path());

    StderrCapture stderrOutput;
    EXPECT_FALSE(StartProgram(commandLine));
    const std::string said = stderrOutput.take();

    if (!c.reason) {
        EXPECT_EQ(said, "");
    } else {
        const std::string report
            = "could not start \"" + fs::path(commandLine).string() + "\": " + c.reason;
        const std::size_t at = said.find(report);
        ASSERT_NE(at, std::string::npos) << said;
        EXPECT_NE(std::string("\r\n").find(said[at + report.size()]), std::string::npos)
            << "the report goes on after the reason: " << said;
    }

    // A child started after it has run; the refused line's never did.
    const fs::path sentinel = folder.path() / "sentinel.txt";
    ASSERT_TRUE(StartProgram(u"\"" + probe::nativeText(probe::childProgram()) + u"\" \""
        + probe::nativeText(sentinel) + u"\""));
    ASSERT_TRUE(probe::waitForFile(sentinel, 20s));
    EXPECT_FALSE(fs::exists(folder.path() / "record.txt"));
}

#ifdef _WIN32
// Wine's wording; Windows has its own.
constexpr const char *missingFile = "File not found.";
constexpr const char *missingFolder = "File not found.";
constexpr const char *noProgram = "Bad EXE format for the program.";
#else
constexpr const char *missingFile = "No such file or directory";
constexpr const char *missingFolder = "No such file or directory";
constexpr const char *noProgram = "Permission denied";
#endif

INSTANTIATE_TEST_SUITE_P(CommandLines, NothingStartsTest,
    testing::Values(
        RefusedCase {"Empty", [](const fs::path &) { return std::u16string(); }, nullptr},
        RefusedCase {
            "OnlyBlanks", [](const fs::path &) { return std::u16string(u" \t  "); }, nullptr},
        RefusedCase {"MissingProgram",
            [](const fs::path &f) {
                return u"\"" + probe::nativeText(f / "no-such-program") + u"\" argument";
            },
            missingFile},
        RefusedCase {"ProgramInMissingFolder",
            [](const fs::path &f) { return probe::nativeText(f / "missing" / "program"); },
            missingFolder},
        RefusedCase {"TextFile",
            [](const fs::path &f) {
                std::ofstream(f / "notes.txt", std::ios::binary) << "just text\r\n";
                return probe::nativeText(f / "notes.txt");
            },
            noProgram}),
    testsupport::RowName());

#ifndef _WIN32
std::u16string childWith(const fs::path &folder, const std::u16string &more)
{
    return u"\"" + probe::nativeText(probe::childProgram()) + u"\" \""
        + probe::nativeText(folder / "record.txt") + u"\"" + more;
}

// Lines that a shell could not split (Windows hands them over as they are).
INSTANTIATE_TEST_SUITE_P(ShellWords, NothingStartsTest,
    testing::Values(RefusedCase {"UnterminatedDoubleQuote",
                        [](const fs::path &f) { return childWith(f, u" \"open"); },
                        "a quote is not closed, or the line ends in a backslash"},
        RefusedCase {"UnterminatedSingleQuote",
            [](const fs::path &f) { return childWith(f, u" 'open"); },
            "a quote is not closed, or the line ends in a backslash"},
        RefusedCase {"TrailingBackslash", [](const fs::path &f) { return childWith(f, u" \\"); },
            "a quote is not closed, or the line ends in a backslash"},
        RefusedCase {"OnlyAComment", [](const fs::path &) { return std::u16string(u"# note"); },
            "it names no program"}),
    testsupport::RowName());
#endif

} // namespace
