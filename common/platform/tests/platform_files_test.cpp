// The settings file, the text files and the folders of platform.h, the same
// on both platforms.  These tests compare the values read back and what a
// failed save leaves; the bytes that the INI writer keeps are the INI unit
// tests' affair.
#include "platform.h"
#include "probe.h"
#include "rows.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string contentOf(const fs::path &file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Everything under a folder: each entry's path and, for a file, its bytes.
std::map<std::string, std::optional<std::string>> snapshot(const fs::path &folder)
{
    std::map<std::string, std::optional<std::string>> entries;
    for (const auto &entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = fs::relative(entry.path(), folder).generic_string();
        entries[name] = entry.is_directory() ? std::nullopt
                                             : std::optional<std::string>(contentOf(entry.path()));
    }
    return entries;
}

std::u16string text(const fs::path &path)
{
    return probe::nativeText(path);
}

// ---- Settings file: values read back after writes --------------------------------

struct Write
{
    std::u16string section;
    std::u16string key;
    std::u16string value;
};

struct Read
{
    std::u16string section;
    std::u16string key;
    std::u16string defaultValue;
    std::u16string expected;
};

struct ProfileCase
{
    const char *name;
    std::optional<std::string> before; // the file's bytes; none: no file
    std::vector<Write> writes;
    std::vector<Read> reads;
};

using testsupport::PrintTo;

using ProfileTest = testing::TestWithParam<ProfileCase>;

TEST_P(ProfileTest, ValuesReadBack)
{
    const ProfileCase &c = GetParam();
    TempFolder folder;
    const fs::path file = folder.path() / "ZK.INI";
    if (c.before)
        folder.writeFile("ZK.INI", *c.before);

    for (const Write &w : c.writes)
        EXPECT_TRUE(WriteProfileValue(w.section, w.key, w.value, text(file)));
    for (const Read &r : c.reads) {
        SCOPED_TRACE(std::string(r.key.begin(), r.key.end()));
        EXPECT_EQ(ReadProfileValue(r.section, r.key, r.defaultValue, text(file)), r.expected);
    }
}

const std::string book = "[List]\r\n0=PC01\r\n[Options]\r\nCount=0\r\n";

std::u16string repeated(std::size_t count, char16_t c)
{
    return std::u16string(count, c);
}

std::u16string number(std::size_t n)
{
    const std::string digits = std::to_string(n);
    return std::u16string(digits.begin(), digits.end());
}

// Lengths around the buffers and length fields of the platform's own
// profile functions (256, 32,767, 65,536), plain and quoted, up to 1 MiB.
std::vector<Write> longWrites()
{
    std::vector<Write> writes;
    for (const std::size_t n :
        {60, 255, 256, 257, 5000, 32766, 32767, 32768, 65535, 65536, 70000, 1 << 20}) {
        writes.push_back({u"Long", u"Plain" + number(n), repeated(n, u'p')});
        writes.push_back({u"Long", u"Quoted" + number(n), u"\"" + repeated(n, u'q') + u"\""});
    }
    return writes;
}

std::vector<Read> longReads()
{
    std::vector<Read> reads;
    for (const Write &w : longWrites())
        reads.push_back({w.section, w.key, u"N", w.value});
    return reads;
}

INSTANTIATE_TEST_SUITE_P(Writes, ProfileTest,
    testing::Values(ProfileCase {"NewFile", std::nullopt, {{u"Options", u"Count", u"1"}},
                        {{u"Options", u"Count", u"0", u"1"}, {u"Options", u"File", u"", u""},
                            {u"List", u"0", u"N", u"N"}}},
        ProfileCase {"NewSection", "[List]\r\n0=PC01\r\n",
            {{u"Options", u"File", u"C:\\Tools\\run.exe"}},
            {{u"Options", u"File", u"", u"C:\\Tools\\run.exe"}, {u"List", u"0", u"N", u"PC01"}}},
        ProfileCase {"NewKey", book, {{u"List", u"1", u"PC02"}},
            {{u"List", u"0", u"N", u"PC01"}, {u"List", u"1", u"N", u"PC02"},
                {u"Options", u"Count", u"0", u"0"}}},
        ProfileCase {"Replace", book, {{u"List", u"0", u"NODE1"}},
            {{u"List", u"0", u"N", u"NODE1"}, {u"List", u"1", u"N", u"N"},
                {u"Options", u"Count", u"1", u"0"}}},
        ProfileCase {"ReplaceAgain", book, {{u"List", u"0", u"A"}, {u"List", u"0", u"B"}},
            {{u"List", u"0", u"N", u"B"}}},
        ProfileCase {"InnerBlanks", book, {{u"List", u"1", u"two  words"}},
            {{u"List", u"1", u"N", u"two  words"}}},
        ProfileCase {"OuterBlanksStay", book, {{u"List", u"1", u"  padded  "}},
            {{u"List", u"1", u"N", u"  padded  "}}},
        ProfileCase {"EnclosingQuotesStay", book, {{u"List", u"1", u"\"q\""}},
            {{u"List", u"1", u"N", u"\"q\""}}},
        ProfileCase {"QuotedPathStays", book,
            {{u"Options", u"File", u"\"C:\\Program Files\\x.exe\""}},
            {{u"Options", u"File", u"", u"\"C:\\Program Files\\x.exe\""}}},
        ProfileCase {"InnerQuotesStay", book, {{u"List", u"1", u"say \"hi\""}},
            {{u"List", u"1", u"N", u"say \"hi\""}}},
        ProfileCase {"EmptyValueIsNoDefault", book, {{u"Options", u"File", u""}},
            {{u"Options", u"File", u"N", u""}}},
        ProfileCase {"EmptyValueOverAValue", "[Options]\r\nFile=C:\\x.exe\r\n",
            {{u"Options", u"File", u""}}, {{u"Options", u"File", u"N", u""}}},
        ProfileCase {"NamesIgnoreCase", book, {{u"OPTIONS", u"count", u"2"}},
            {{u"Options", u"Count", u"0", u"2"}, {u"options", u"COUNT", u"0", u"2"}}},
        ProfileCase {"NamesIgnoreBlanks", book, {{u" Options ", u" Count ", u"1"}},
            {{u"Options", u"Count", u"0", u"1"}}},
        ProfileCase {"LatinLetters", book, {{u"List", u"1", u"Caf\u00e9 M\u00fcller"}},
            {{u"List", u"1", u"N", u"Caf\u00e9 M\u00fcller"}}},
        ProfileCase {"NameBeginningWithN", book, {{u"List", u"1", u"NODE1"}},
            {{u"List", u"1", u"N", u"NODE1"}}},
        ProfileCase {"LongValuesWhole", std::nullopt, longWrites(), longReads()},
        ProfileCase {"SlotsOfABook", std::nullopt,
            {{u"List", u"0", u"PC01"}, {u"List", u"1", u"PC02"}, {u"List", u"2", u"PC03"},
                {u"Options", u"Count", u"1"}, {u"Options", u"File", u""}, {u"List", u"2", u"N"},
                {u"List", u"0", u"PC09"}},
            {{u"List", u"0", u"N", u"PC09"}, {u"List", u"1", u"N", u"PC02"},
                {u"List", u"2", u"X", u"N"}, {u"List", u"3", u"N", u"N"},
                {u"Options", u"Count", u"0", u"1"}, {u"Options", u"File", u"N", u""}}}),
    testsupport::RowName());

// Files written by hand: what both readers make of them.
INSTANTIATE_TEST_SUITE_P(Reads, ProfileTest,
    testing::Values(ProfileCase {"MissingFile", std::nullopt, {},
                        {{u"List", u"0", u"N", u"N"}, {u"Options", u"Count", u"0", u"0"},
                            {u"Options", u"File", u"", u""}}},
        ProfileCase {"EmptyFile", "", {}, {{u"List", u"0", u"N", u"N"}}},
        ProfileCase {"MissingKeyOrSection", book, {},
            {{u"List", u"7", u"N", u"N"}, {u"Other", u"0", u"N", u"N"}}},
        ProfileCase {"BlanksAndQuotes",
            "[List]\r\n0=  PC01  \r\n1=\t\"PC 02\"\t\r\n2='x'\r\n3=\"half\r\n4= a\"b \r\n", {},
            {{u"List", u"0", u"N", u"PC01"}, {u"List", u"1", u"N", u"PC 02"},
                {u"List", u"2", u"N", u"x"}, {u"List", u"3", u"N", u"\"half"},
                {u"List", u"4", u"N", u"a\"b"}}},
        ProfileCase {"FirstOfTwoKeys", "[List]\r\n0=first\r\n0=second\r\n", {},
            {{u"List", u"0", u"N", u"first"}}},
        ProfileCase {"NoInlineComments", "[Options]\r\nFile=run.exe ; later\r\n", {},
            {{u"Options", u"File", u"", u"run.exe ; later"}}},
        ProfileCase {"CommentsAndLinesWithoutEquals",
            "; [List]\r\n[List]\r\n;0=hidden\r\nNoEquals\r\n1=PC02\r\n", {},
            {{u"List", u"0", u"N", u"N"}, {u"List", u"NoEquals", u"N", u"N"},
                {u"List", u"1", u"N", u"PC02"}}},
        ProfileCase {"LineFeedsWithoutFinalLineEnd", "[List]\n0=PC01\n\n[Options]\nCount=2", {},
            {{u"List", u"0", u"N", u"PC01"}, {u"Options", u"Count", u"0", u"2"}}},
        ProfileCase {"CarriageReturnsOnly", "[List]\r0=PC01\r[Options]\rCount=1\r", {},
            {{u"List", u"0", u"N", u"PC01"}, {u"Options", u"Count", u"0", u"1"}}},
        ProfileCase {"NamesWithBlanksInTheFile", "[ List ]\r\n  0  =PC01\r\n", {},
            {{u"List", u"0", u"N", u"PC01"}}}),
    testsupport::RowName());

// Names and values that one line of the file cannot hold are refused, and the
// file stays as it was.
struct UnstorableCase
{
    const char *name;
    Write write;
};

using UnstorableTest = testing::TestWithParam<UnstorableCase>;

TEST_P(UnstorableTest, IsRefusedAndChangesNothing)
{
    const Write &w = GetParam().write;
    TempFolder folder;
    const fs::path file = folder.writeFile("ZK.INI", book);

    EXPECT_FALSE(WriteProfileValue(w.section, w.key, w.value, text(file)));
    EXPECT_EQ(contentOf(file), book);
}

INSTANTIATE_TEST_SUITE_P(Writes, UnstorableTest,
    testing::Values(UnstorableCase {"LineBreakInValue", {u"List", u"0", u"a\r\n[X]\r\ny=1"}},
        UnstorableCase {"LineFeedInValue", {u"List", u"0", u"a\nb"}},
        UnstorableCase {"NulInValue", {u"List", u"0", std::u16string(u"a\0b", 3)}},
        UnstorableCase {"LineBreakInKey", {u"List", u"0\r\n1", u"v"}},
        UnstorableCase {"EqualsInKey", {u"List", u"a=b", u"v"}},
        UnstorableCase {"EmptyKey", {u"List", u"", u"v"}},
        UnstorableCase {"EmptySection", {u"", u"0", u"v"}},
        UnstorableCase {"KeyLikeAComment", {u"List", u";0", u"v"}}),
    testsupport::RowName());

// What \u00e9 becomes in the 8-bit files, where it has a place there.
class EightBitTest : public testing::Test
{
protected:
    void SetUp() override
    {
        if (eAcute.empty())
            GTEST_SKIP() << "this code page has no \u00e9";
    }

    const std::string eAcute = probe::eAcuteBytes();
    TempFolder folder;
};

TEST_F(EightBitTest, SettingsFileOnDisk)
{
    const fs::path file = folder.path() / "ZK.INI";

    ASSERT_TRUE(WriteProfileValue(u"List", u"0", u"Caf\u00e9", text(file)));

    EXPECT_NE(contentOf(file).find("0=Caf" + eAcute), std::string::npos) << contentOf(file);
}

TEST_F(EightBitTest, TextFileOnDisk)
{
    const fs::path file = folder.path() / "Message.txt";

    ASSERT_TRUE(WriteTextFile(text(file), u"Caf\u00e9\r\n"));

    EXPECT_EQ(contentOf(file), "Caf" + eAcute + "\r\n");
}

TEST_F(EightBitTest, TextFileReadsAsText)
{
    const fs::path file = folder.writeFile("Message.txt", "Caf" + eAcute + "!");

    EXPECT_EQ(ReadTextFile(text(file)), u"Caf\u00e9!");
}

TEST(ProfileFileTest, ReadFromAMissingFolderGivesTheDefault)
{
    TempFolder folder;
    EXPECT_EQ(ReadProfileValue(u"List", u"0", u"N", text(folder.path() / "none" / "ZK.INI")), u"N");
}

TEST(ProfileFileTest, ReadFromAFolderGivesTheDefault)
{
    TempFolder folder;
    fs::create_directory(folder.path() / "ZK.INI");
    EXPECT_EQ(ReadProfileValue(u"List", u"0", u"N", text(folder.path() / "ZK.INI")), u"N");
}

// ---- Text files ---------------------------------------------------------------------

struct TextCase
{
    const char *name;
    std::u16string text;
};

using TextFileTest = testing::TestWithParam<TextCase>;

// Over nothing and over a longer text: the file then holds exactly the new
// one, and nothing else is left in the folder.
TEST_P(TextFileTest, RoundTrip)
{
    const std::u16string &message = GetParam().text;
    for (const bool existing : {false, true}) {
        SCOPED_TRACE(existing ? "over a longer file" : "new file");
        TempFolder folder;
        const fs::path file = folder.path() / "Message.txt";
        if (existing)
            folder.writeFile("Message.txt", std::string(70000, 'o'));

        ASSERT_TRUE(WriteTextFile(text(file), message));

        EXPECT_EQ(ReadTextFile(text(file)), message);
        EXPECT_EQ(
            std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, TextFileTest,
    testing::Values(TextCase {"Ascii", u"Hello, world"}, TextCase {"Empty", u""},
        TextCase {"LatinLetters", u"Caf\u00e9 \u00e0 la cr\u00e8me, M\u00fcller"},
        TextCase {"Lines", u"first\r\nsecond\r\n\r\nfourth\r\n"},
        TextCase {"LineFeeds", u"first\nsecond\n"},
        TextCase {"Long", std::u16string(100000, u'm') + u"\u00e9"}),
    testsupport::RowName());

TEST(TextFileEdgeTest, MissingFileOrFolderIsNothing)
{
    TempFolder folder;
    EXPECT_EQ(ReadTextFile(text(folder.path() / "Message.txt")), std::nullopt);
    EXPECT_EQ(ReadTextFile(text(folder.path())), std::nullopt);
}

// A text the 8-bit file cannot hold is refused (Windows) rather than stored
// with question marks; UTF-8 holds it.
TEST(TextFileEdgeTest, TextBeyondTheCodePage)
{
    const std::u16string face = u"smile \U0001F600";
    TempFolder folder;
    const fs::path file = folder.writeFile("Message.txt", "old");
    const fs::path settings = folder.writeFile("ZK.INI", book);

    const bool holds = probe::eightBitHoldsEverything();
    EXPECT_EQ(WriteTextFile(text(file), face), holds);
    EXPECT_EQ(WriteProfileValue(u"Options", u"File", face, text(settings)), holds);

    if (holds) {
        EXPECT_EQ(ReadTextFile(text(file)), face);
        EXPECT_EQ(ReadProfileValue(u"Options", u"File", u"", text(settings)), face);
    } else {
        EXPECT_EQ(contentOf(file), "old");
        EXPECT_EQ(contentOf(settings), book);
    }
}

// ---- Saving both files at once --------------------------------------------------------

struct SaveCase
{
    const char *name;
    std::optional<std::string> settings; // the files' bytes before; none: no file
    std::optional<std::string> message;
    std::vector<Write> values;
    // The message; made when the test runs, since the largest one takes
    // 128 MB and every test program would build it at its start.
    std::function<std::u16string()> text;
    // The message file's bytes after a save; none: refused, nothing changed.
    std::optional<std::string> messageAfter;
    // Anything else the folder needs; false when that cannot be done here.
    std::function<bool(const TempFolder &)> prepare = [](const TempFolder &) { return true; };
};

using SaveTest = testing::TestWithParam<SaveCase>;

// Saved: every value reads back as it was given, the message file holds the
// bytes expected.  Refused: the folder is exactly as it was.
TEST_P(SaveTest, SavesBothOrNeither)
{
    const SaveCase &c = GetParam();
    TempFolder folder;
    const fs::path settings = folder.path() / "ZK.INI";
    const fs::path message = folder.path() / "Message.txt";
    if (c.settings)
        folder.writeFile("ZK.INI", *c.settings);
    if (c.message)
        folder.writeFile("Message.txt", *c.message);
    if (!c.prepare(folder))
        GTEST_SKIP() << "write access cannot be taken away here";
    const auto before = snapshot(folder.path());
    std::vector<ProfileValue> values;
    for (const Write &w : c.values)
        values.push_back({w.section, w.key, w.value});

    const bool saved = SaveProfileAndText(text(settings), values, text(message), c.text());
    for (const auto &entry : fs::recursive_directory_iterator(folder.path()))
        probe::giveWriteAccess(entry.path());

    ASSERT_EQ(saved, c.messageAfter.has_value());
    if (!saved) {
        EXPECT_EQ(snapshot(folder.path()), before);
        return;
    }
    // The last value given for each key.
    std::map<std::pair<std::u16string, std::u16string>, std::u16string> stored;
    for (const Write &w : c.values)
        stored[{w.section, w.key}] = w.value;
    for (const auto &[name, value] : stored)
        EXPECT_EQ(ReadProfileValue(name.first, name.second, u"(none)", text(settings)), value);
    EXPECT_EQ(contentOf(message), *c.messageAfter);
    EXPECT_EQ(snapshot(folder.path()).size(), 2u);
}

const std::string crlfMessage = "Line one\r\nLine two";

// A message the test knows at once.
std::function<std::u16string()> given(std::u16string text)
{
    return [text] { return text; };
}

std::function<bool(const TempFolder &)> folderAt(const char *name)
{
    return [name](const TempFolder &folder) {
        fs::create_directory(folder.path() / name);
        folder.writeFile(fs::path(name) / "inside.txt", "kept");
        return true;
    };
}

std::function<bool(const TempFolder &)> readOnly(const char *name)
{
    return
        [name](const TempFolder &folder) { return probe::takeWriteAccess(folder.path() / name); };
}

INSTANTIATE_TEST_SUITE_P(Files, SaveTest,
    testing::Values(
        SaveCase {"NewFiles", std::nullopt, std::nullopt,
            {{u"List", u"0", u"PC1"}, {u"Options", u"Count", u"1"}, {u"Options", u"File", u""}},
            given(u"Hi\r\nthere"), "Hi\r\nthere"},
        SaveCase {"OverOldFiles", book, crlfMessage,
            {{u"List", u"0", u"N"}, {u"List", u"0", u"PC9"}, {u"List", u"1", u"  padded "},
                {u"List", u"2", u"'quoted'"}, {u"Options", u"File", repeated(70000, u'f')}},
            given(u"New"), "New"},
        SaveCase {"SameTextKeepsItsBytes", book, "a\r\nb\nc\rd", {}, given(u"a\nb\nc\nd"),
            "a\r\nb\nc\rd"},
        SaveCase {"TextLargerThanTheLimit", book, crlfMessage, {{u"List", u"0", u"PC9"}},
            [] { return repeated(largestFile + 1, u'm'); }, std::nullopt},
        SaveCase {"SettingsFileIsAFolder", std::nullopt, crlfMessage, {{u"List", u"0", u"PC9"}},
            given(u"New"), std::nullopt, folderAt("ZK.INI")},
        SaveCase {"MessageFileIsAFolder", book, std::nullopt, {{u"List", u"0", u"PC9"}},
            given(u"New"), std::nullopt, folderAt("Message.txt")},
        SaveCase {"SettingsFileReadOnly", book, crlfMessage, {{u"List", u"0", u"PC9"}},
            given(u"New"), std::nullopt, readOnly("ZK.INI")},
        // Nothing to write there: the other file is saved.
        SaveCase {"UnchangedMessageReadOnly", book, crlfMessage, {{u"List", u"0", u"PC9"}},
            given(u"Line one\nLine two"), crlfMessage, readOnly("Message.txt")}),
    testsupport::RowName());

// ---- What a failed write leaves: everything as it was -------------------------------

struct Writer
{
    const char *name;
    std::function<bool(const std::u16string &path)> write;
};

const std::vector<Writer> writers = {
    {"SettingsFile",
        [](const std::u16string &path) {
            return WriteProfileValue(u"Options", u"Count", u"1", path);
        }},
    {"TextFile", [](const std::u16string &path) { return WriteTextFile(path, u"message"); }},
};

// Prepares a folder so that writing at the returned path must fail.
struct Obstacle
{
    const char *name;
    std::function<std::optional<fs::path>(const TempFolder &)> prepare;
    bool needsOrdinaryUser = false;
};

// Permission bits bind only ordinary users: the write runs as one, or the
// test is skipped.
const Obstacle lockedFolder = {"FolderWithoutWriteAccess",
    [](const TempFolder &folder) -> std::optional<fs::path> {
        const fs::path locked = folder.path() / "locked";
        fs::create_directory(locked);
        folder.writeFile("locked/other.txt", "kept");
        if (!probe::takeWriteAccess(locked))
            return std::nullopt;
        return locked / "file";
    },
    true};

const std::vector<Obstacle> obstacles = {
    {"MissingFolder",
        [](const TempFolder &folder) -> std::optional<fs::path> {
            return folder.path() / "missing" / "file";
        }},
    {"FolderAtThePath",
        [](const TempFolder &folder) -> std::optional<fs::path> {
            fs::create_directory(folder.path() / "file");
            folder.writeFile("file/inside.txt", "kept");
            return folder.path() / "file";
        }},
    {"ReadOnlyFile",
        [](const TempFolder &folder) -> std::optional<fs::path> {
            const fs::path file = folder.writeFile("file", "[Options]\r\nCount=0\r\n");
            if (!probe::takeWriteAccess(file))
                return std::nullopt;
            return file;
        }},
    {"MissingDrive",
        [](const TempFolder &) -> std::optional<fs::path> {
            return fs::path(probe::pathOnMissingRoot());
        }},
};

void expectNothingChanged(const Writer &writer, const Obstacle &obstacle)
{
    TempFolder folder;
    const std::optional<fs::path> target = obstacle.prepare(folder);
    if (!target)
        GTEST_SKIP() << "write access cannot be taken away here";
    const auto before = snapshot(folder.path());

    const auto write = [&] { return writer.write(text(*target)); };
    const std::optional<bool> written
        = obstacle.needsOrdinaryUser ? probe::asOrdinaryUser(write) : write();

    for (const auto &entry : fs::recursive_directory_iterator(folder.path()))
        probe::giveWriteAccess(entry.path());
    if (!written)
        GTEST_SKIP() << "runs as root and cannot drop its privileges here";
    EXPECT_FALSE(*written);
    EXPECT_EQ(snapshot(folder.path()), before);
}

using FailedWriteTest = testing::TestWithParam<std::tuple<Writer, Obstacle>>;

TEST_P(FailedWriteTest, ChangesNothing)
{
    expectNothingChanged(std::get<0>(GetParam()), std::get<1>(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Obstacles, FailedWriteTest,
    testing::Combine(testing::ValuesIn(writers), testing::ValuesIn(obstacles)),
    [](const testing::TestParamInfo<std::tuple<Writer, Obstacle>> &info) {
        return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
    });

// A table of its own, so that where it must be skipped the others still count.
using LockedFolderTest = testing::TestWithParam<Writer>;

TEST_P(LockedFolderTest, ChangesNothing)
{
    expectNothingChanged(GetParam(), lockedFolder);
}

INSTANTIATE_TEST_SUITE_P(
    Writers, LockedFolderTest, testing::ValuesIn(writers), testsupport::RowName());

// ---- Folders --------------------------------------------------------------------------

TEST(ProgramFolderTest, NamesTheProgramsFolderWithoutSeparator)
{
    const std::u16string expected = probe::expectedProgramFolder();
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(ProgramFolder(), expected);
}

struct FolderCase
{
    const char *name;
    std::function<std::u16string(const TempFolder &)> path;
    bool expected;
};

using EnsureFolderTest = testing::TestWithParam<FolderCase>;

TEST_P(EnsureFolderTest, CreatesWhatIsMissing)
{
    TempFolder folder;
    const std::u16string path = GetParam().path(folder);

    EXPECT_EQ(EnsureFolder(path), GetParam().expected);
    EXPECT_EQ(fs::is_directory(fs::path(path)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Folders, EnsureFolderTest,
    testing::Values(
        FolderCase {"Existing", [](const TempFolder &f) { return text(f.path()); }, true},
        FolderCase {"New", [](const TempFolder &f) { return text(f.path() / "Crier"); }, true},
        FolderCase {"NewWithParents",
            [](const TempFolder &f) { return text(f.path() / "a" / "b" / "Crier"); }, true},
        FolderCase {"UnderAFile",
            [](const TempFolder &f) { return text(f.writeFile("file") / "Crier"); }, false},
        FolderCase {"AFile", [](const TempFolder &f) { return text(f.writeFile("file")); }, false}),
    testsupport::RowName());

TEST(EnsureFolderEdgeTest, EmptyPathIsNoFolder)
{
    EXPECT_FALSE(EnsureFolder(u""));
}

} // namespace
