// How the POSIX layer hands a message to smbclient: the exact command line
// and input, and the answers that count as a failed send.
#include "fakesmbclient.h"
#include "platform.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(SmbclientHandoverTest, CommandLineIsMessageModeAndRecipient)
{
    testsupport::FakeSmbclient smbclient;

    ASSERT_TRUE(BroadcastMessage(u"  Pc 01 ", u"SENDER", u"Hello"));

    const auto runs = smbclient.runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].arguments, (std::vector<std::string> {"-M", "  Pc 01 "}));
}

TEST(SmbclientHandoverTest, InputIsTheUtf8TextWithoutAddedLineFeed)
{
    testsupport::FakeSmbclient smbclient;

    ASSERT_TRUE(BroadcastMessage(u"PC01", u"", u"Hi \u00dc\u20ac!\nzwei"));

    const auto runs = smbclient.runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].standardInput, "Hi \xc3\x9c\xe2\x82\xac!\nzwei");
}

// Only smbclient's refusal line marks a dropped message; other chatter on
// its standard error does not.
TEST(SmbclientHandoverTest, OtherErrorOutputIsNoRefusal)
{
    testsupport::FakeSmbclient smbclient;
    smbclient.writeToStderr("lp_load_ex: changing to config backend registry");

    EXPECT_TRUE(BroadcastMessage(u"PC01", u"", u"Hello"));
}

struct LengthCase
{
    const char *name;
    std::u16string message;
    bool sent;
};

void PrintTo(const LengthCase &c, std::ostream *out)
{
    *out << c.name;
}

class SmbclientLengthTest : public testing::TestWithParam<LengthCase>
{
};

// smbclient cuts anything over 1,598 bytes on the wire, where each LF goes
// out as CR LF; such a message is refused before smbclient starts.
TEST_P(SmbclientLengthTest, LongestMessageOnTheWireIsAccepted)
{
    testsupport::FakeSmbclient smbclient;

    EXPECT_EQ(BroadcastMessage(u"PC01", u"", GetParam().message), GetParam().sent);
    EXPECT_EQ(smbclient.runs().size(), GetParam().sent ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(WireBytes, SmbclientLengthTest,
    testing::Values(LengthCase {"Ascii1598", std::u16string(1598, u'a'), true},
        LengthCase {"Ascii1599", std::u16string(1599, u'a'), false},
        LengthCase {"LineFeeds1598", std::u16string(799, u'\n'), true},
        LengthCase {"LineFeeds1600", std::u16string(800, u'\n'), false},
        LengthCase {"LineFeedAtTheLimit", std::u16string(1596, u'a') + u"\n", true},
        LengthCase {"LineFeedOverTheLimit", std::u16string(1597, u'a') + u"\n", false},
        LengthCase {"Euro1598", std::u16string(532, u'\u20ac') + u"aa", true},
        LengthCase {"Euro1599", std::u16string(533, u'\u20ac'), false}),
    [](const testing::TestParamInfo<LengthCase> &info) { return info.param.name; });

} // namespace
