// The UTF-8 of the POSIX files: valid text decodes as UTF-8, every other
// byte as an escape, and every byte string comes back as it was.
#include "rows.h"
#include "utf8text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Utf8Case
{
    const char *name;
    std::string bytes;
    std::u16string text;
};

using testsupport::PrintTo;

using Utf8Test = testing::TestWithParam<Utf8Case>;

TEST_P(Utf8Test, DecodesAndComesBack)
{
    EXPECT_EQ(utf8text::decode(GetParam().bytes), GetParam().text);
    EXPECT_EQ(utf8text::encode(GetParam().text), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(Bytes, Utf8Test,
    testing::Values(Utf8Case {"Ascii", "PC1 ok", u"PC1 ok"},
        Utf8Case {"Nul", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
        Utf8Case {"TwoBytes", "caf\xc3\xa9", u"caf\u00e9"},
        Utf8Case {"ThreeBytes", "\xe2\x82\xac", u"\u20ac"},
        Utf8Case {"FourBytes", "\xf0\x9f\x98\x80", u"\U0001F600"},
        Utf8Case {"LatinOne", "caf\xe9", u"caf\xdce9"},
        Utf8Case {"LatinOneWord", "Gr\xfc\xdf\x65", u"Gr\xdcfc\xdcdf\x65"},
        Utf8Case {"CutSequence", "\xe2\x82", u"\xdce2\xdc82"},
        Utf8Case {"Overlong", "\xc0\xaf", u"\xdcc0\xdcaf"},
        Utf8Case {"EncodedSurrogate", "\xed\xb3\xa9", u"\xdced\xdcb3\xdca9"},
        Utf8Case {"BeyondUnicode", "\xf4\x90\x80\x80", u"\xdcf4\xdc90\xdc80\xdc80"},
        Utf8Case {"LoneContinuation", "\x80x", u"\xdc80x"}),
    testsupport::RowName());

// Every string of one or two bytes, and of three beginning with a lead
// byte of a longer sequence.
TEST(Utf8RoundTripTest, EveryShortByteStringComesBack)
{
    std::size_t failures = 0;
    const auto check = [&](const std::string &bytes) {
        if (utf8text::encode(utf8text::decode(bytes)) != bytes && ++failures < 5)
            ADD_FAILURE() << testing::PrintToString(bytes);
    };
    for (int a = 0; a < 256; ++a) {
        check(std::string(1, char(a)));
        for (int b = 0; b < 256; ++b) {
            check({char(a), char(b)});
            for (int c = 0; a >= 0xe0 && c < 256; ++c)
                check({char(a), char(b), char(c)});
        }
    }
    EXPECT_EQ(failures, 0u);
}

// What decode never makes cannot be written.
TEST(Utf8EncodeTest, LoneSurrogatesOtherThanEscapesAreRefused)
{
    EXPECT_EQ(utf8text::encode(u"a\xd800"), std::nullopt);
    EXPECT_EQ(utf8text::encode(u"\xdc7f"), std::nullopt);
    EXPECT_EQ(utf8text::encode(u"\xdfff"), std::nullopt);
    EXPECT_EQ(utf8text::encode(u"\xdc80"), std::string("\x80"));
}

} // namespace
