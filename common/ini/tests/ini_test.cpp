// The INI reader and writer against tables of files: what a read finds, and
// the exact bytes a write leaves behind.
#include "ini/ini.h"
#include "rows.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

namespace {

const std::string sixty(60, 'x');

// The lines of the probe file that Windows' profile functions were measured
// against, with CR LF line ends.
const std::string probeFile = "; top comment\r\n"
                              "[Settings]\r\n"
                              "Len10=abcdefghij\r\n"
                              "Len60="
    + sixty
    + "\r\n"
      "Lead=   lead\r\n"
      "Trail=trail   \r\n"
      "Both=   both   \r\n"
      "Tab=\tTabbed\t\r\n"
      "  SpacedKey   =   spaced key value  \r\n"
      "DQ=\"abc\"\r\n"
      "SQ='abc'\r\n"
      "DQpad=  \"abc\"  \r\n"
      "DQhalf=\"abc\r\n"
      "DQinner=\"a\"b\"\r\n"
      "DQmix=\"abc'\r\n"
      "DQempty=\"\"\r\n"
      "DQ60=\""
    + sixty
    + "\"\r\n"
      "Empty=\r\n"
      "Semi=value ; trailing\r\n"
      "Dup=first\r\n"
      "Dup=second\r\n"
      "NoEq\r\n"
      ";Commented=hidden\r\n"
      "  ;Indented=hidden\r\n"
      "=novaluekey\r\n"
      "MixedCase=Mixed\r\n"
      "\r\n"
      "[Other]\r\n"
      "Len10=other\r\n"
      "[ Spaced Section ]\r\n"
      "Inside=yes\r\n"
      "[settings]\r\n"
      "Extra=later\r\n";

struct ReadCase
{
    const char *name;
    std::string file;
    std::string section;
    std::string key;
    std::optional<std::string> expected;
};

using testsupport::PrintTo;

using ReadTest = testing::TestWithParam<ReadCase>;

TEST_P(ReadTest, FindsTheValue)
{
    const ReadCase &c = GetParam();
    EXPECT_EQ(ini::read(c.file, c.section, c.key), c.expected);
}

const auto nothing = std::optional<std::string>();

INSTANTIATE_TEST_SUITE_P(ProbeFile, ReadTest,
    testing::Values(ReadCase {"Plain", probeFile, "Settings", "Len10", "abcdefghij"},
        ReadCase {"LongValueWhole", probeFile, "Settings", "Len60", sixty},
        ReadCase {"LeadingBlanks", probeFile, "Settings", "Lead", "lead"},
        ReadCase {"TrailingBlanks", probeFile, "Settings", "Trail", "trail"},
        ReadCase {"BlanksBothSides", probeFile, "Settings", "Both", "both"},
        ReadCase {"Tabs", probeFile, "Settings", "Tab", "Tabbed"},
        ReadCase {"KeyWithBlanksInFile", probeFile, "Settings", "SpacedKey", "spaced key value"},
        ReadCase {
            "KeyWithBlanksInQuery", probeFile, "Settings", "  SpacedKey  ", "spaced key value"},
        ReadCase {"DoubleQuotes", probeFile, "Settings", "DQ", "abc"},
        ReadCase {"SingleQuotes", probeFile, "Settings", "SQ", "abc"},
        ReadCase {"QuotesInsideBlanks", probeFile, "Settings", "DQpad", "abc"},
        ReadCase {"UnbalancedQuote", probeFile, "Settings", "DQhalf", "\"abc"},
        ReadCase {"OnlyOuterQuotes", probeFile, "Settings", "DQinner", "a\"b"},
        ReadCase {"MixedQuotes", probeFile, "Settings", "DQmix", "\"abc'"},
        ReadCase {"EmptyQuotes", probeFile, "Settings", "DQempty", ""},
        ReadCase {"LongQuotedValueWhole", probeFile, "Settings", "DQ60", sixty},
        ReadCase {"EmptyValueIsThere", probeFile, "Settings", "Empty", ""},
        ReadCase {"NoInlineComment", probeFile, "Settings", "Semi", "value ; trailing"},
        ReadCase {"FirstOfDuplicates", probeFile, "Settings", "Dup", "first"},
        ReadCase {"LineWithoutEqualsIsNoKey", probeFile, "Settings", "NoEq", nothing},
        ReadCase {"CommentIsNoKey", probeFile, "Settings", ";Commented", nothing},
        ReadCase {"IndentedCommentIsNoKey", probeFile, "Settings", ";Indented", nothing},
        ReadCase {"EmptyKeyName", probeFile, "Settings", "", "novaluekey"},
        ReadCase {"UpperCaseNames", probeFile, "SETTINGS", "LEN10", "abcdefghij"},
        ReadCase {"LowerCaseNames", probeFile, "settings", "len10", "abcdefghij"},
        ReadCase {"ValueKeepsItsCase", probeFile, "Settings", "mixedcase", "Mixed"},
        ReadCase {"OtherSection", probeFile, "Other", "Len10", "other"},
        ReadCase {"SectionWithBlanksInFile", probeFile, "Spaced Section", "Inside", "yes"},
        ReadCase {"SectionWithBlanksInQuery", probeFile, " Spaced Section ", "Inside", "yes"},
        ReadCase {"OnlyFirstSectionOfAName", probeFile, "settings", "Extra", nothing},
        ReadCase {"MissingKey", probeFile, "Settings", "Missing", nothing},
        ReadCase {"MissingSection", probeFile, "NoSuchSection", "Len10", nothing},
        ReadCase {"KeyOfAnotherSection", probeFile, "Other", "Lead", nothing}),
    testsupport::RowName());

INSTANTIATE_TEST_SUITE_P(Layouts, ReadTest,
    testing::Values(ReadCase {"EmptyFile", "", "A", "k", nothing},
        ReadCase {"LineFeedsOnly", "[A]\nk=1\nj=trail  \n", "A", "j", "trail"},
        ReadCase {"CarriageReturnsOnly", "[A]\rk=1\r[B]\rj=w\r", "B", "j", "w"},
        ReadCase {"CarriageReturnsDoNotJoinSections", "[A]\rk=1\r[B]\rj=w\r", "A", "j", nothing},
        ReadCase {"MixedLineEnds", "[A]\r\nk=1\n[B]\rj=w", "B", "j", "w"},
        ReadCase {"LastLineWithoutLineEnd", "[A]\r\nk=1\r\nend=last", "A", "end", "last"},
        ReadCase {"EmptyValueAtEndOfFile", "[A]\r\nk=", "A", "k", ""},
        ReadCase {"KeyBeforeAnySection", "top=1\r\n[A]\r\nk=2\r\n", "", "top", "1"},
        ReadCase {"KeyBeforeAnySectionNotInOthers", "top=1\r\n[A]\r\nk=2\r\n", "A", "top", nothing},
        ReadCase {"HeaderWithoutCloseIsNoSection", "[A\r\nk=1\r\n", "A", "k", nothing},
        ReadCase {"EqualsInValue", "[A]\r\nk=x=y\r\n", "A", "k", "x=y"},
        ReadCase {"BlanksInsideValueKept", "[A]\r\nk= a  b \r\n", "A", "k", "a  b"},
        ReadCase {"SingleQuoteCharacter", "[A]\r\nk=\"\r\n", "A", "k", "\""},
        ReadCase {"QuotedBlanksKept", "[A]\r\nk=\"  x  \"\r\n", "A", "k", "  x  "},
        ReadCase {"OnlyOnePairOfQuotes", "[A]\r\nk=\"\"x\"\"\r\n", "A", "k", "\"x\""},
        ReadCase {"EightBitBytesKept", "[A]\r\nk=Caf\xe9\r\n", "A", "k", "Caf\xe9"},
        ReadCase {"NameCaseIsAsciiOnly", "[A]\r\n\xc9=1\r\n", "A", "\xe9", nothing}),
    testsupport::RowName());

// ---- write ---------------------------------------------------------------------

// The start file of the measured write cases: comments, blank lines, blanks
// around '=', two sections.
const std::string commentedFile = "; top comment\r\n"
                                  "\r\n"
                                  "[General]\r\n"
                                  "Name=Alpha\r\n"
                                  "; inner comment\r\n"
                                  "Count = 5\r\n"
                                  "Padded=  x  \r\n"
                                  "\r\n"
                                  "[Other]\r\n"
                                  "# hash comment\r\n"
                                  "x=1\r\n";

// The text with the first `from` replaced by `to`: what a write may change.
std::string with(std::string text, const std::string &from, const std::string &to)
{
    return text.replace(text.find(from), from.size(), to);
}

struct WriteCase
{
    const char *name;
    std::string before;
    std::string section;
    std::string key;
    std::string value;
    std::string after;
};

using WriteTest = testing::TestWithParam<WriteCase>;

TEST_P(WriteTest, LeavesExactlyTheseBytes)
{
    const WriteCase &c = GetParam();
    EXPECT_EQ(ini::write(c.before, c.section, c.key, c.value), c.after);
}

INSTANTIATE_TEST_SUITE_P(Replace, WriteTest,
    testing::Values(WriteCase {"InPlace", commentedFile, "General", "Name", "Beta",
                        with(commentedFile, "Name=Alpha", "Name=Beta")},
        WriteCase {"KeepsSpellingAndBlanksBeforeValue", commentedFile, "general", "count", "7",
            with(commentedFile, "Count = 5", "Count = 7")},
        WriteCase {"DropsOldTrailingBlanks", commentedFile, "General", "Padded", "y",
            with(commentedFile, "Padded=  x  ", "Padded=  y")},
        WriteCase {"KeyNameTrimmed", commentedFile, " General ", " Count ", "8",
            with(commentedFile, "Count = 5", "Count = 8")},
        WriteCase {
            "LastSection", commentedFile, "Other", "X", "2", with(commentedFile, "x=1", "x=2")},
        WriteCase {
            "FirstOfDuplicates", "[A]\r\nk=1\r\nk=2\r\n", "A", "k", "3", "[A]\r\nk=3\r\nk=2\r\n"},
        WriteCase {"EmptyOldValue", "[A]\r\nk=\r\nj=1\r\n", "A", "k", "v", "[A]\r\nk=v\r\nj=1\r\n"},
        WriteCase {"WithEmptyValue", "[A]\r\nk=old\r\n", "A", "k", "", "[A]\r\nk=\r\n"},
        WriteCase {"QuotedOldValue", "[A]\r\nk=\"old\"\r\n", "A", "k", "new", "[A]\r\nk=new\r\n"},
        WriteCase {
            "KeepsLineFeed", "[A]\nk=1\n\n[B]\nm=1\n", "A", "k", "2", "[A]\nk=2\n\n[B]\nm=1\n"},
        WriteCase {"LastLineWithoutLineEnd", "[A]\r\nk=1", "A", "k", "2", "[A]\r\nk=2"},
        WriteCase {"KeyBeforeAnySection", "top=1\r\n[A]\r\n", "", "top", "2", "top=2\r\n[A]\r\n"}),
    testsupport::RowName());

INSTANTIATE_TEST_SUITE_P(AddKey, WriteTest,
    testing::Values(
        WriteCase {"AfterLastKeyLine", commentedFile, "General", "Added", "NewVal",
            with(commentedFile, "Padded=  x  \r\n", "Padded=  x  \r\nAdded=NewVal\r\n")},
        WriteCase {
            "AtEndOfLastSection", commentedFile, "Other", "y", "2", commentedFile + "y=2\r\n"},
        WriteCase {"SectionWithoutKeys", "[A]\r\n[B]\r\nk=1\r\n", "A", "j", "2",
            "[A]\r\nj=2\r\n[B]\r\nk=1\r\n"},
        WriteCase {"CommentWithTheKeyIsNoKey", "[A]\r\n;k=old\r\n", "A", "k", "new",
            "[A]\r\nk=new\r\n;k=old\r\n"},
        WriteCase {"FileWithoutFinalLineEnd", "[A]\r\nk=1", "A", "j", "2", "[A]\r\nk=1\r\nj=2\r\n"},
        WriteCase {"HeaderWithoutLineEnd", "[A]", "A", "j", "2", "[A]\r\nj=2\r\n"},
        WriteCase {
            "LineFeedFile", "[A]\nk=1\n\n[B]\nm=1\n", "A", "j", "2", "[A]\nk=1\nj=2\n\n[B]\nm=1\n"},
        WriteCase {"CarriageReturnFile", "[A]\rk=1\r[B]\r", "A", "j", "2", "[A]\rk=1\rj=2\r[B]\r"},
        WriteCase {"FirstOfTwoSectionsOfAName", "[A]\r\nk=1\r\n[B]\r\n[a]\r\nj=1\r\n", "a", "j",
            "2", "[A]\r\nk=1\r\nj=2\r\n[B]\r\n[a]\r\nj=1\r\n"},
        WriteCase {"NameWrittenWithoutBlanks", "[A]\r\n", "A", "  New  ", "v", "[A]\r\nNew=v\r\n"},
        WriteCase {
            "ValueWrittenAsGiven", "[A]\r\n", "A", "k", "  padded  ", "[A]\r\nk=  padded  \r\n"},
        WriteCase {"BeforeFirstSection", "; note\r\n[A]\r\n", "", "top", "1",
            "top=1\r\n; note\r\n[A]\r\n"}),
    testsupport::RowName());

INSTANTIATE_TEST_SUITE_P(AddSection, WriteTest,
    testing::Values(WriteCase {"AtEndOfFile", commentedFile, "NewSec", "k", "v",
                        commentedFile + "[NewSec]\r\nk=v\r\n"},
        WriteCase {"EmptyFile", "", "S", "k", "v", "[S]\r\nk=v\r\n"},
        WriteCase {
            "FileWithoutFinalLineEnd", "[A]\r\nk=1", "B", "m", "3", "[A]\r\nk=1\r\n[B]\r\nm=3\r\n"},
        WriteCase {"LineFeedFile", "[A]\nk=1\n", "B", "m", "3", "[A]\nk=1\n[B]\nm=3\n"},
        WriteCase {"CarriageReturnFile", "[A]\rk=1", "B", "m", "3", "[A]\rk=1\r[B]\rm=3\r"},
        WriteCase {"FileWithoutLineEndsGetsCrLf", "; only a comment", "B", "m", "3",
            "; only a comment\r\n[B]\r\nm=3\r\n"},
        WriteCase {"SectionNameWithoutBlanks", "", "  S  ", "k", "v", "[S]\r\nk=v\r\n"},
        WriteCase {
            "CommentedHeaderIsNoSection", "; [A]\r\n", "A", "k", "v", "; [A]\r\n[A]\r\nk=v\r\n"}),
    testsupport::RowName());

// A value must not be able to add lines of its own: those could be keys or
// sections that the next read would take for real ones.
INSTANTIATE_TEST_SUITE_P(OneLine, WriteTest,
    testing::Values(WriteCase {"ValueCutAtLineFeed", "[A]\r\nk=1\r\n", "A", "k", "a\n[B]\nm=evil",
                        "[A]\r\nk=a\r\n"},
        WriteCase {"ValueCutAtCarriageReturn", "[A]\r\n", "A", "k", "a\rb=c", "[A]\r\nk=a\r\n"},
        WriteCase {"KeyCutAtLineBreak", "[A]\r\n", "A", "k\r\n[B]", "v", "[A]\r\nk=v\r\n"},
        WriteCase {"SectionCutAtLineBreak", "", "S\nx=1", "k", "v", "[S]\r\nk=v\r\n"}),
    testsupport::RowName());

// ---- round trip ------------------------------------------------------------------

struct RoundTripCase
{
    const char *name;
    std::string value;
    std::string readBack;
};

using RoundTripTest = testing::TestWithParam<RoundTripCase>;

// Into a new key and over an existing one: read gives the same answer.
TEST_P(RoundTripTest, ReadGivesWhatWasWritten)
{
    const RoundTripCase &c = GetParam();
    for (const std::string before : {"", "[A]\r\nk=old value\r\n", "[A]\r\nj=1\r\n[B]\r\n"}) {
        SCOPED_TRACE("file before: " + before);
        const std::string file = ini::write(before, "A", "k", c.value);
        EXPECT_EQ(ini::read(file, "A", "k"), c.readBack);
        EXPECT_EQ(ini::write(file, "A", "k", c.value), file) << "a second write changed the file";
        // Its readable form comes back whole, and is the value itself
        // wherever that comes back by itself.
        const std::string form = ini::readableForm(c.value);
        EXPECT_EQ(ini::read(ini::write(before, "A", "k", form), "A", "k"), c.value);
        EXPECT_EQ(form == c.value, c.readBack == c.value) << form;
    }
}

// What cannot come back: outer blanks and one pair of enclosing quotes are
// taken off on reading, as on Windows.  Everything else does.
INSTANTIATE_TEST_SUITE_P(Values, RoundTripTest,
    testing::Values(RoundTripCase {"Plain", "PC01", "PC01"},
        RoundTripCase {"InnerBlanks", "two  words", "two  words"},
        RoundTripCase {"InnerTab", "a\tb", "a\tb"}, RoundTripCase {"Empty", "", ""},
        RoundTripCase {"Path", "C:\\Tools\\x.exe", "C:\\Tools\\x.exe"},
        RoundTripCase {"Long", std::string(300, 'p'), std::string(300, 'p')},
        RoundTripCase {"EqualsSign", "x=y", "x=y"},
        RoundTripCase {"Semicolon", "; no comment", "; no comment"},
        RoundTripCase {"Brackets", "[A]", "[A]"}, RoundTripCase {"InnerQuote", "a\"b", "a\"b"},
        RoundTripCase {"LeadingQuoteOnly", "\"half", "\"half"},
        RoundTripCase {"DifferentQuotes", "\"x'", "\"x'"},
        RoundTripCase {"EightBit", "Caf\xe9", "Caf\xe9"},
        RoundTripCase {"LeadingBlanksLost", "  lead", "lead"},
        RoundTripCase {"TrailingBlanksLost", "trail \t", "trail"},
        RoundTripCase {"EnclosingQuotesLost", "\"q\"", "q"},
        RoundTripCase {"EnclosingSingleQuotesLost", "'q'", "q"},
        RoundTripCase {"QuotesKeepInnerBlanks", "\"  q  \"", "  q  "},
        RoundTripCase {"BlanksAndQuotesLost", " \"q\" ", "q"},
        RoundTripCase {"TwoQuotesLost", "\"\"", ""}),
    testsupport::RowName());

TEST(WriteTest, KeysOfOtherSectionsAreLeftAlone)
{
    std::string file;
    file = ini::write(file, "List", "0", "PC01");
    file = ini::write(file, "Options", "Count", "1");
    file = ini::write(file, "List", "1", "PC02");
    file = ini::write(file, "Options", "File", "");
    file = ini::write(file, "list", "0", "N");

    EXPECT_EQ(file, "[List]\r\n0=N\r\n1=PC02\r\n[Options]\r\nCount=1\r\nFile=\r\n");
}

// ---- storable --------------------------------------------------------------------

struct StorableCase
{
    const char *name;
    std::string section;
    std::string key;
    std::string value;
    bool expected;
};

using StorableTest = testing::TestWithParam<StorableCase>;

TEST_P(StorableTest, TellsWhetherReadFindsItAgain)
{
    const StorableCase &c = GetParam();
    ASSERT_EQ(ini::storable(c.section, c.key, c.value), c.expected);
    if (c.expected) {
        const std::string file = ini::write("", c.section, c.key, c.value);
        EXPECT_TRUE(ini::read(file, c.section, c.key).has_value());
    }
}

INSTANTIATE_TEST_SUITE_P(Names, StorableTest,
    testing::Values(StorableCase {"Ordinary", "List", "0", "PC01", true},
        StorableCase {"EmptyValue", "List", "0", "", true},
        StorableCase {"EmptyKey", "List", " ", "v", false},
        StorableCase {"EmptySection", "", "k", "v", false},
        StorableCase {"BracketInSection", "a]b", "k", "v", true},
        StorableCase {"SemicolonInsideKey", "A", "k;1", "v", true},
        StorableCase {"LineFeedInValue", "A", "k", "a\nb", false},
        StorableCase {"CarriageReturnInValue", "A", "k", "a\rb", false},
        StorableCase {"NulInValue", "A", "k", std::string("a\0b", 3), false},
        StorableCase {"LineBreakInKey", "A", "k\n", "v", false},
        StorableCase {"LineBreakInSection", "A\r\n", "k", "v", false},
        StorableCase {"EqualsInKey", "A", "k=1", "v", false},
        StorableCase {"KeyLikeAComment", "A", " ;k", "v", false},
        StorableCase {"KeyLikeAHeader", "A", "[k]", "v", false}),
    testsupport::RowName());

} // namespace
