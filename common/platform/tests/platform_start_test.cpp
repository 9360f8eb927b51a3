// StartProgram against a child program that records what it got
// (start_child.cpp): Windows hands the command line over unchanged, POSIX
// splits it into words the way a shell would.
#include "platform.h"
#include "probe.h"
#include "readwhole.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
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

// {child} and {record} in a command line stand for the child program and the
// file it is to write.
struct StartCase
{
    const char *name;
    const char *folder; // where the record goes, inside the test's folder
    std::string commandLine;
    std::vector<std::string> arguments;
};

void PrintTo(const StartCase &c, std::ostream *out)
{
    *out << c.name;
}

class StartProgramTest : public testing::TestWithParam<StartCase>
{
};

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
        return replaced(replaced(text, "{child}", fs::path(probe::nativeText(child)).string()),
            "{record}", record);
    };
    const std::string commandLine = expand(c.commandLine);

    ASSERT_TRUE(StartProgram(wide(commandLine))) << commandLine;

    ASSERT_TRUE(probe::waitForFile(record, 20s)) << "the child did not run: " << commandLine;
    const Record got = readRecord(record);
    std::vector<std::string> expected;
    for (const std::string &argument : c.arguments)
        expected.push_back(expand(argument));
    EXPECT_EQ(got.arguments, expected);
    if (probe::childSeesCommandLine()) {
        EXPECT_EQ(got.line, commandLine);
    }
    EXPECT_EQ(got.show, probe::expectedShowState());
}

INSTANTIATE_TEST_SUITE_P(CommandLines, StartProgramTest,
    testing::Values(
        StartCase {"QuotedWordsWithBlanks", "with blank",
            "\"{child}\" \"{record}\" \"two words\" plain", {"{record}", "two words", "plain"}},
        StartCase {
            "NoQuotesAdded", "plain", "{child} {record} one two", {"{record}", "one", "two"}},
        StartCase {
            "RunsOfBlanks", "plain", "{child}   {record}    spaced  ", {"{record}", "spaced"}}),
    [](const testing::TestParamInfo<StartCase> &info) { return info.param.name; });

struct RefusedCase
{
    const char *name;
    std::u16string (*commandLine)(const TempFolder &folder);
};

void PrintTo(const RefusedCase &c, std::ostream *out)
{
    *out << c.name;
}

class NothingStartsTest : public testing::TestWithParam<RefusedCase>
{
};

TEST_P(NothingStartsTest, GivesFalse)
{
    TempFolder folder;
    EXPECT_FALSE(StartProgram(GetParam().commandLine(folder)));
}

INSTANTIATE_TEST_SUITE_P(CommandLines, NothingStartsTest,
    testing::Values(RefusedCase {"Empty", [](const TempFolder &) { return std::u16string(); }},
        RefusedCase {"OnlyBlanks", [](const TempFolder &) { return std::u16string(u"   "); }},
        RefusedCase {"MissingProgram",
            [](const TempFolder &f) {
                return u"\"" + probe::nativeText(f.path() / "no-such-program") + u"\" argument";
            }},
        RefusedCase {"ProgramInMissingFolder",
            [](const TempFolder &f) {
                return probe::nativeText(f.path() / "missing" / "program");
            }},
        RefusedCase {"TextFile",
            [](const TempFolder &f) {
                return probe::nativeText(f.writeFile("notes.txt", "just text\r\n"));
            }}),
    [](const testing::TestParamInfo<RefusedCase> &info) { return info.param.name; });

} // namespace
