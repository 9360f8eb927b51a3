// The behaviour both platform layers promise through platform.h.  The same
// cases run against the Win32 layer (under Wine) and the POSIX one; probe.h
// hides what differs between the two.
#include "platform.h"
#include "probe.h"
#include "rows.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

namespace {

// Messages are written with "\n"; each becomes the platform's own line break.
std::u16string withLineBreaks(std::u16string text)
{
    const std::u16string lineBreak = probe::lineBreak();
    for (std::size_t at = text.find(u'\n'); at != std::u16string::npos;
         at = text.find(u'\n', at + lineBreak.size()))
        text.replace(at, 1, lineBreak);
    return text;
}

// ---- BroadcastMessage --------------------------------------------------------

struct HandoverCase
{
    const char *name;
    std::u16string recipient;
    std::u16string message;
};

using testsupport::PrintTo;

using HandoverTest = testing::TestWithParam<HandoverCase>;

TEST_P(HandoverTest, ReachesTheServiceUnchanged)
{
    probe::MessageService service;
    const std::u16string message = withLineBreaks(GetParam().message);

    EXPECT_TRUE(BroadcastMessage(GetParam().recipient, u"", message));

    const auto handovers = service.handovers();
    ASSERT_EQ(handovers.size(), 1u);
    EXPECT_EQ(handovers[0].recipient, GetParam().recipient);
    EXPECT_EQ(handovers[0].message, message);
}

INSTANTIATE_TEST_SUITE_P(Messages, HandoverTest,
    testing::Values(HandoverCase {"Plain", u"PC01", u"Hello"},
        HandoverCase {"SpacesOnlyRecipient", u"   ", u"Hello"},
        HandoverCase {"RecipientAsTyped", u"  Pc 01 ", u"kept as typed"},
        HandoverCase {"NonAsciiRecipient", u"J\u00fcrgen", u"Hallo"},
        HandoverCase {"NonAsciiText", u"PC01", u"Hi \u00dc\u00e9!"},
        HandoverCase {"SeveralLines", u"PC01", u"first\nsecond\n\nfourth\n"},
        HandoverCase {"PaddedText", u"PC01", u"  padded  "},
        HandoverCase {"EmptyText", u"PC01", u""}),
    testsupport::RowName());

TEST(BroadcastMessageTest, SenderNameIsNotPartOfTheHandover)
{
    probe::MessageService service;

    ASSERT_TRUE(BroadcastMessage(u"PC01", u"", u"same"));
    ASSERT_TRUE(BroadcastMessage(u"PC01", u"SOMEONE", u"same"));

    const auto handovers = service.handovers();
    ASSERT_EQ(handovers.size(), 2u);
    EXPECT_EQ(handovers[1].recipient, handovers[0].recipient);
    EXPECT_EQ(handovers[1].message, handovers[0].message);
}

TEST(BroadcastMessageTest, EverySendIsHandedOverInTurn)
{
    probe::MessageService service;

    for (const std::u16string recipient : {u"ONE", u"TWO", u"THREE"})
        EXPECT_TRUE(BroadcastMessage(recipient, u"", u"to " + recipient));

    const auto handovers = service.handovers();
    ASSERT_EQ(handovers.size(), 3u);
    EXPECT_EQ(handovers[0].recipient, u"ONE");
    EXPECT_EQ(handovers[2].recipient, u"THREE");
    EXPECT_EQ(handovers[2].message, u"to THREE");
}

using RefusalTest = testing::TestWithParam<std::string>;

// The message did reach the service; only its answer makes the send fail.
TEST_P(RefusalTest, RefusedMessageGivesFalse)
{
    probe::MessageService service;
    service.refuse(GetParam());

    EXPECT_FALSE(BroadcastMessage(u"PC01", u"", u"Hello"));
    EXPECT_EQ(service.handovers().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Refusals, RefusalTest,
    testing::ValuesIn(probe::MessageService::refusals()),
    [](const testing::TestParamInfo<std::string> &info) {
        std::string name = info.param;
        std::replace_if(
            name.begin(), name.end(),
            [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
        return name;
    });

// ---- AddSlash ------------------------------------------------------------------

using AddSlashTest = testing::TestWithParam<probe::SlashCase>;

TEST_P(AddSlashTest, EndsWithOneSeparator)
{
    EXPECT_EQ(AddSlash(GetParam().path), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, AddSlashTest, testing::ValuesIn(probe::addSlashCases()), testsupport::RowName());

// ---- FileExists ----------------------------------------------------------------

// A path component written "~name" stands for a hidden entry; how it is
// hidden (and named) is the platform's affair.
struct Entry
{
    const char *path;
    bool folder;
};

struct FileCase
{
    const char *name;
    std::vector<Entry> entries;
    const char *query;
    bool expected;
};

constexpr bool folder = true;
constexpr bool file = false;

class FileExistsTest : public testing::TestWithParam<FileCase>
{
protected:
    static bool mentionsHidden(const FileCase &c)
    {
        return std::string(c.query).find('~') != std::string::npos
            || std::any_of(c.entries.begin(), c.entries.end(),
                [](const Entry &e) { return std::string(e.path).find('~') != std::string::npos; });
    }

    static std::filesystem::path resolve(
        const std::string &path, const probe::Concealment &concealment)
    {
        std::filesystem::path result;
        for (const auto &part : std::filesystem::path(path)) {
            const std::string text = part.string();
            result /= text.starts_with('~') ? concealment.nameFor(text.substr(1)) : text;
        }
        return result;
    }

    // Builds the entries of the case in a fresh folder and asks about its
    // query there.
    static void check(const FileCase &c, const probe::Concealment &concealment)
    {
        TempFolder root;
        for (const Entry &entry : c.entries) {
            const auto relative = resolve(entry.path, concealment);
            const auto path = root.path() / relative;
            if (entry.folder)
                std::filesystem::create_directory(path);
            else
                root.writeFile(relative);
            const bool lastPartHidden
                = std::filesystem::path(entry.path).filename().string().starts_with('~');
            if (lastPartHidden && !concealment.hide(path))
                GTEST_SKIP() << "this file system cannot keep the mark \"" << concealment.name
                             << "\"";
        }
        EXPECT_EQ(
            FileExists(probe::nativeText(root.path() / resolve(c.query, concealment))), c.expected);
    }
};

TEST_P(FileExistsTest, AnswersForOrdinaryFilesOnly)
{
    const FileCase &c = GetParam();
    if (!mentionsHidden(c)) {
        check(c,
            probe::Concealment {"none", [](const std::string &n) { return n; },
                [](const std::filesystem::path &) { return true; }});
        return;
    }
    for (const probe::Concealment &concealment : probe::concealments()) {
        SCOPED_TRACE("hidden by " + concealment.name);
        check(c, concealment);
        if (IsSkipped())
            return;
    }
}

// The wildcard rows put folders and hidden files among the matches, ahead of
// the ordinary one where the order can be told ("*" matches "." and ".."
// first on Windows).
INSTANTIATE_TEST_SUITE_P(Files, FileExistsTest,
    testing::Values(FileCase {"OrdinaryFile", {{"note.txt", file}}, "note.txt", true},
        FileCase {"Folder", {{"box", folder}}, "box", false},
        FileCase {"HiddenFile", {{"~secret.txt", file}}, "~secret.txt", false},
        FileCase {"Missing", {}, "absent.txt", false},
        FileCase {"MissingFolder", {}, "absent/note.txt", false},
        FileCase {"FileInFolder", {{"sub", folder}, {"sub/note.txt", file}}, "sub/note.txt", true},
        FileCase {"FileInHiddenFolder", {{"~attic", folder}, {"~attic/note.txt", file}},
            "~attic/note.txt", true},
        FileCase {"StarAfterDotEntries", {{"note.txt", file}}, "*", true},
        FileCase {"StarDotStarWithoutExtension", {{"README", file}}, "*.*", true},
        FileCase {"StarExtension", {{"note.txt", file}}, "*.txt", true},
        FileCase {"QuestionMark", {{"note1.txt", file}}, "note?.txt", true},
        FileCase {"QuestionMarkIsOneCharacter", {{"note12.txt", file}}, "note?.txt", false},
        FileCase {"WildcardMatchesNothing", {{"note.txt", file}}, "*.doc", false},
        FileCase {"WildcardMatchesOnlyFolder", {{"box.txt", folder}}, "*.txt", false},
        FileCase {"WildcardMatchesOnlyHiddenFile", {{"~secret.txt", file}}, "*.txt", false},
        FileCase {"WildcardFindsFileAmongOthers",
            {{"a-box.txt", folder}, {"b-box.txt", folder}, {"~c-secret.txt", file},
                {"~d-secret.txt", file}, {"e-note.txt", file}, {"f-box.txt", folder}},
            "*.txt", true},
        FileCase {"WildcardInHiddenFolder", {{"~attic", folder}, {"~attic/note.txt", file}},
            "~attic/*.txt", true}),
    testsupport::RowName());

TEST(FileExistsEdgeTest, NothingOnAMissingDriveOrRoot)
{
    EXPECT_FALSE(FileExists(probe::pathOnMissingRoot()));
}

TEST(FileExistsEdgeTest, EmptyPathIsNoFile)
{
    EXPECT_FALSE(FileExists(u""));
}

// ---- ComputerName --------------------------------------------------------------

TEST(ComputerNameTest, NamesThisComputer)
{
    const std::u16string expected = probe::expectedComputerName();
    if (expected.empty())
        GTEST_SKIP() << "this computer's name cannot be found out independently here";
    EXPECT_EQ(ComputerName(), expected);
}

} // namespace
