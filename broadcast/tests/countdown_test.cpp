#include "countdown.h"
#include "rows.h"

#include <gtest/gtest.h>

#include "tempfolder.h"

#include <clocale>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

struct KeyCase
{
    int key;
    int expected;
};

void PrintTo(const KeyCase &c, std::ostream *out)
{
    *out << c.key;
}

using OnlyNumericTest = testing::TestWithParam<KeyCase>;

TEST_P(OnlyNumericTest, Filters)
{
    EXPECT_EQ(crier::OnlyNumeric(GetParam().key), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Keys, OnlyNumericTest,
    testing::Values(KeyCase {8, 8}, KeyCase {'0', '0'}, KeyCase {'7', '7'}, KeyCase {'9', '9'},
        KeyCase {'/', 0}, KeyCase {':', 0}, KeyCase {'a', 0}, KeyCase {'-', 0}, KeyCase {'.', 0},
        KeyCase {' ', 0}, KeyCase {13, 0}, KeyCase {22, 0}, KeyCase {3, 0}, KeyCase {0x00e9, 0},
        KeyCase {-1, 0}));

struct CountCase
{
    const char *name;
    std::u16string text;
    std::optional<double> expected;
};

using testsupport::PrintTo;

using ReadCountTest = testing::TestWithParam<CountCase>;

TEST_P(ReadCountTest, Reads)
{
    EXPECT_EQ(crier::readCount(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, ReadCountTest,
    testing::Values(CountCase {"Digits", u"60", 60}, CountCase {"Zero", u"0", 0},
        CountCase {"LeadingZeros", u"007", 7}, CountCase {"Fraction", u"2.5", 2.5},
        CountCase {"BareFraction", u".5", 0.5}, CountCase {"Blanks", u" 12 ", 12},
        CountCase {"Negative", u"-3", -3}, CountCase {"Plus", u"+3", 3},
        CountCase {"Empty", u"", std::nullopt}, CountCase {"BlanksOnly", u"  ", std::nullopt},
        CountCase {"Letters", u"ten", std::nullopt}, CountCase {"Trailing", u"5x", std::nullopt},
        CountCase {"TwoSigns", u"--5", std::nullopt}, CountCase {"Infinity", u"inf", std::nullopt},
        CountCase {"Comma", u"2,5", std::nullopt}, CountCase {"Wide", u"\uff15", std::nullopt}));

TEST(CountText, FractionsKeepTheirDecimals)
{
    // 2.3 - 1 is 1.2999999999999998 in binary floating point.
    EXPECT_EQ(crier::countText(*crier::readCount(u"2.3") - 1, crier::decimalsOf(u"2.3")), u"1.3");
    EXPECT_EQ(crier::countText(*crier::readCount(u"2.5") - 1, 1), u"1.5");
    EXPECT_EQ(crier::countText(*crier::readCount(u"2.50") - 1, 2), u"1.5");
    EXPECT_EQ(crier::countText(59, 0), u"59");
    EXPECT_EQ(crier::decimalsOf(u" 12 "), 0);
    EXPECT_EQ(crier::decimalsOf(u"1.25"), 2);
    EXPECT_EQ(crier::decimalsOf(u"7."), 0);
}

// Qt sets the user's locale at start; a comma as decimal point must change
// neither what the count box reads nor what it shows.
TEST(CountText, CommaLocale)
{
    TempFolder locales;
    const std::string made = (locales.path() / "de_DE.UTF-8").string();
    const std::string command = "localedef -i de_DE -f UTF-8 '" + made + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        GTEST_SKIP() << "no de_DE locale source here (Debian package locales)";
    ::setenv("LOCPATH", locales.path().c_str(), 1);
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        GTEST_SKIP() << "the locale could not be set";
    ASSERT_EQ(std::string(std::localeconv()->decimal_point), ",");
    const auto count = crier::readCount(u"2.5");
    const std::u16string shown = crier::countText(1.5);
    std::setlocale(LC_NUMERIC, previous.c_str());
    ::unsetenv("LOCPATH");
    EXPECT_EQ(count, 2.5);
    EXPECT_EQ(shown, u"1.5");
}

TEST(CountText, ShortestForm)
{
    EXPECT_EQ(crier::countText(59), u"59");
    EXPECT_EQ(crier::countText(0), u"0");
    EXPECT_EQ(crier::countText(1.5), u"1.5");
    EXPECT_EQ(crier::countText(2.3), u"2.3");
    EXPECT_EQ(crier::countText(123456789), u"123456789");
}

} // namespace
