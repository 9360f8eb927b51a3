// The record format: what is written, what is read back, and what is not a
// record.
#include "record.h"
#include "rows.h"

#include <gtest/gtest.h>

namespace {

using record::Problem;

const std::string header = "Quillbox-Record: 1\n"
                           "From: PC01\n"
                           "To: OFFICE\n"
                           "Received: 2026-12-08T20:24:00Z\n";
constexpr std::int64_t received = 1796761440; // 2026-12-08T20:24:00Z

struct FormatCase
{
    const char *name;
    record::Record record;
    std::string bytes;
};

using testsupport::PrintTo;

const FormatCase formatCases[] = {
    {"Plain", {"PC01", "OFFICE", received, "Hello\n"}, header + "Length: 6\n\nHello\n"},
    {"Utf8AndEmptyText", {"PC01", "OFFICE", received, ""}, header + "Length: 0\n\n"},
    // The text is never escaped: it ends the file.
    {"TextWithEveryByte", {"PC01", "OFFICE", received, std::string("a\0\r\n%\xff", 6)},
        header + "Length: 6\n\n" + std::string("a\0\r\n%\xff", 6)},
    // A name can end its line or fake a header only if it is not escaped.
    {"NamesAreEscaped", {std::string("a\nLength: 1\r\0%", 14), "b\x7f\x1b[2J", received, "x"},
        "Quillbox-Record: 1\nFrom: a%0ALength: 1%0D%00%25\nTo: b%7F%1B[2J\n"
        "Received: 2026-12-08T20:24:00Z\nLength: 1\n\nx"},
    {"Utf8NamesStay", {"Jürgen", "Bür0 1", received, "x"},
        "Quillbox-Record: 1\nFrom: Jürgen\nTo: Bür0 1\n"
        "Received: 2026-12-08T20:24:00Z\nLength: 1\n\nx"},
    {"EpochTime", {"a", "b", 0, ""},
        "Quillbox-Record: 1\nFrom: a\nTo: b\nReceived: 1970-01-01T00:00:00Z\nLength: 0\n\n"},
};

using FormatTest = testing::TestWithParam<FormatCase>;

TEST_P(FormatTest, WritesAndReadsBack)
{
    const FormatCase &c = GetParam();
    EXPECT_EQ(record::format(c.record), c.bytes);
    const record::Parsed parsed = record::parse(c.bytes);
    ASSERT_EQ(parsed.problem, Problem::None);
    EXPECT_EQ(parsed.record, c.record);
}

INSTANTIATE_TEST_SUITE_P(Record, FormatTest, testing::ValuesIn(formatCases),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Record, LongNamesAreCutOutsideAnEscape)
{
    // 255 plain bytes and a byte that takes three: the escape would not fit.
    const std::string sender = std::string(255, 's') + "\n" + "more";
    const record::Parsed parsed
        = record::parse(record::format({sender, std::string(300, 'd'), received, "x"}));
    ASSERT_EQ(parsed.problem, Problem::None);
    EXPECT_EQ(parsed.record.sender, std::string(255, 's'));
    EXPECT_EQ(parsed.record.destination, std::string(record::maxNameBytes, 'd'));
}

struct ParseCase
{
    const char *name;
    std::string bytes;
    Problem problem;
};

const ParseCase parseCases[] = {
    {"Empty", "", Problem::NotARecord},
    {"OtherFile", "Hello\n", Problem::NotARecord},
    {"OtherVersion", "Quillbox-Record: 2\nFrom: a\n", Problem::NotARecord},
    {"CrLfHeader", "Quillbox-Record: 1\r\nFrom: a\r\n", Problem::NotARecord},
    {"NoBlankLine", header + "Length: 1\n", Problem::Truncated},
    {"CutInTheText", header + "Length: 6\n\nHel", Problem::Truncated},
    {"TextLongerThanSaid", header + "Length: 2\n\nHello", Problem::TrailingBytes},
    {"NoLength", header + "\nHello", Problem::BadHeader},
    {"NoFrom", "Quillbox-Record: 1\nTo: b\nReceived: 2026-12-08T20:24:00Z\nLength: 0\n\n",
        Problem::BadHeader},
    {"FromTwice", header + "From: c\nLength: 0\n\n", Problem::BadHeader},
    {"LengthNotANumber", header + "Length: 1a\n\nx", Problem::BadHeader},
    {"NegativeLength", header + "Length: -1\n\n", Problem::BadHeader},
    {"HugeLength", header + "Length: 99999999999999\n\n", Problem::BadHeader},
    {"LengthOverTheLimit", header + "Length: 65537\n\n" + std::string(65537, 'x'),
        Problem::TooLarge},
    {"BadTime",
        "Quillbox-Record: 1\nFrom: a\nTo: b\nReceived: 2026-02-30T20:24:00Z\n"
        "Length: 0\n\n",
        Problem::BadHeader},
    {"TimeWithoutZone",
        "Quillbox-Record: 1\nFrom: a\nTo: b\nReceived: 2026-12-08T20:24:00\n"
        "Length: 0\n\n",
        Problem::BadHeader},
    {"BrokenEscape",
        "Quillbox-Record: 1\nFrom: a%4\nTo: b\nReceived: 2026-12-08T20:24:00Z\n"
        "Length: 0\n\n",
        Problem::BadHeader},
    {"EscapeNotHex",
        "Quillbox-Record: 1\nFrom: a%zz\nTo: b\nReceived: 2026-12-08T20:24:00Z\n"
        "Length: 0\n\n",
        Problem::BadHeader},
    {"RawControlInAName",
        "Quillbox-Record: 1\nFrom: a\rb\nTo: b\n"
        "Received: 2026-12-08T20:24:00Z\nLength: 0\n\n",
        Problem::BadHeader},
    {"LineWithoutColon", header + "Length 0\n\n", Problem::BadHeader},
    // Headers of later versions are passed over.
    {"UnknownHeader", header + "X-Later: 1\nLength: 0\n\n", Problem::None},
};

using ParseTest = testing::TestWithParam<ParseCase>;

TEST_P(ParseTest, SaysWhatIsWrong)
{
    EXPECT_EQ(record::parse(GetParam().bytes).problem, GetParam().problem);
}

INSTANTIATE_TEST_SUITE_P(Record, ParseTest, testing::ValuesIn(parseCases),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Record, EveryCutOfARecordIsNoticed)
{
    const std::string whole = record::format({"PC01", "OFFICE", received, "Grüße\n"});
    for (std::size_t size = 0; size < whole.size(); ++size)
        EXPECT_FALSE(record::parse(whole.substr(0, size)).ok()) << size;
    EXPECT_TRUE(record::parse(whole).ok());
}

struct NameCase
{
    const char *name;
    std::string text;
    std::optional<std::int64_t> time;
};

const NameCase nameCases[] = {
    {"Record", "20261208T202400.123456789Z-4242.msg", received},
    {"SecondAttempt", "20261208T202400.123456789Z-4242_3.msg", received},
    {"Hidden", ".20261208T202400.123456789Z-4242.msg.new", std::nullopt},
    {"StoreTemporary", "20261208T202400.123456789Z-4242.msg.tmp77-0", std::nullopt},
    {"NoPid", "20261208T202400.123456789Z-.msg", std::nullopt},
    {"ShortNanoseconds", "20261208T202400.12345678Z-4242.msg", std::nullopt},
    {"NotADate", "20261308T202400.123456789Z-4242.msg", std::nullopt},
    {"Letters", "2026120xT202400.123456789Z-4242.msg", std::nullopt},
    {"PathInIt", "20261208T202400.123456789Z-42/2.msg", std::nullopt},
    {"Stamp", ".last-sweep", std::nullopt},
    {"Empty", "", std::nullopt},
};

using NameTest = testing::TestWithParam<NameCase>;

TEST_P(NameTest, IsARecordNameOrNot)
{
    EXPECT_EQ(record::timeOfName(GetParam().text), GetParam().time);
    EXPECT_EQ(record::isRecordName(GetParam().text), GetParam().time.has_value());
}

INSTANTIATE_TEST_SUITE_P(Record, NameTest, testing::ValuesIn(nameCases),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Record, NamesSortInTheOrderOfDelivery)
{
    const std::string names[] = {
        record::recordName(received - 1, 999999999, 99999),
        record::recordName(received, 5, 100),
        record::recordName(received, 5, 100, 1),
        record::recordName(received, 40, 7),
        record::recordName(received + 86400 * 400, 0, 1),
    };
    EXPECT_EQ(names[1], "20261208T202400.000000005Z-100.msg");
    for (std::size_t i = 0; i + 1 < std::size(names); ++i) {
        EXPECT_LT(names[i], names[i + 1]);
        EXPECT_TRUE(record::isRecordName(names[i]));
    }
}

TEST(Record, UtcTimesRoundTrip)
{
    for (const std::int64_t t : {std::int64_t(0), received, std::int64_t(951782400) /* leap day */,
             std::int64_t(4102444799) /* 2099-12-31T23:59:59Z */}) {
        EXPECT_EQ(record::parseUtc(record::formatUtc(t)), t);
    }
    EXPECT_EQ(record::formatUtc(951782400), "2000-02-29T00:00:00Z");
}

} // namespace
