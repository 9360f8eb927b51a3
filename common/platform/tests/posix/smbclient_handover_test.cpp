// How the POSIX layer hands a message to smbclient: the exact command line
// and input (in smbclient's dos charset, CP850 for the tests' configuration),
// what is refused before smbclient starts, and the answers that count as a
// failed send.
#include "fakesmbclient.h"
#include "platform.h"
#include "rows.h"

#include <gtest/gtest.h>

#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace {

TEST(SmbclientHandoverTest, CommandLineIsMessageModeAndRecipient)
{
    testsupport::FakeSmbclient smbclient;

    ASSERT_TRUE(BroadcastMessage(u"  Pc 01 ", u"SENDER", u"Hello"));

    const auto runs = smbclient.runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].arguments,
        (std::vector<std::string> {"--option=unix charset=CP850", "-M", "  Pc 01 "}));
}

TEST(SmbclientHandoverTest, InputIsTheCodePageTextWithoutAddedLineFeed)
{
    testsupport::FakeSmbclient smbclient;

    ASSERT_TRUE(BroadcastMessage(u"J\u00fcrgen", u"", u"Hi \u00dc\u00e9!\nzwei"));

    const auto runs = smbclient.runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].arguments.back(), "J\x81rgen");
    EXPECT_EQ(runs[0].standardInput, "Hi \x9a\x82!\nzwei");
}

struct RefusedCase
{
    const char *name;
    std::u16string recipient;
    std::u16string message;
};

using testsupport::PrintTo;

using SmbclientRefusedTest = testing::TestWithParam<RefusedCase>;

// What the code page cannot hold, and NUL, would arrive changed or cut off.
TEST_P(SmbclientRefusedTest, NothingStarts)
{
    testsupport::FakeSmbclient smbclient;

    EXPECT_FALSE(BroadcastMessage(GetParam().recipient, u"", GetParam().message));
    EXPECT_FALSE(smbclient.ran());
}

INSTANTIATE_TEST_SUITE_P(Texts, SmbclientRefusedTest,
    testing::Values(RefusedCase {"EuroInTheMessage", u"PC01", u"Preis: 5 \u20ac"},
        RefusedCase {"CjkInTheMessage", u"PC01", u"\u4f60\u597d"},
        RefusedCase {"EuroInTheRecipient", u"PC\u20ac", u"Hello"},
        RefusedCase {"NulInTheMessage", u"PC01", std::u16string(u"Hi\0there", 8)},
        RefusedCase {"NulInTheRecipient", std::u16string(u"127.0.0.41\0junk", 15), u"Hello"}),
    testsupport::RowName());

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

using SmbclientLengthTest = testing::TestWithParam<LengthCase>;

// smbclient cuts anything over 1,598 bytes on the wire, where each LF goes
// out as CR LF and each letter of the code page is one byte; such a message
// is refused before smbclient starts.
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
        LengthCase {"Letters1598", std::u16string(1598, u'\u00e9'), true},
        LengthCase {"Letters1599", std::u16string(1599, u'\u00e9'), false}),
    testsupport::RowName());

// What the send answers: the outcome, with smbclient's own words about it.
struct ResultCase
{
    const char *name;
    std::u16string message;
    int exitCode;
    const char *errorLine;
    bool hidden;
    bool stopped;
    SendOutcome outcome;
    bool ran;
};

using SmbclientResultTest = testing::TestWithParam<ResultCase>;

TEST_P(SmbclientResultTest, OutcomeAndDiagnostics)
{
    testsupport::FakeSmbclient smbclient;
    smbclient.exitWith(GetParam().exitCode);
    if (*GetParam().errorLine)
        smbclient.writeToStderr(GetParam().errorLine);
    if (GetParam().hidden)
        smbclient.hide();
    std::stop_source stop;
    if (GetParam().stopped)
        stop.request_stop();

    const SendResult result = SendMessageTo(u"PC01", GetParam().message, stop.get_token());
    EXPECT_EQ(result.outcome, GetParam().outcome);
    EXPECT_NE(result.diagnostics.find(GetParam().errorLine), std::string::npos)
        << result.diagnostics;
    EXPECT_EQ(smbclient.ran(), GetParam().ran);
}

INSTANTIATE_TEST_SUITE_P(Answers, SmbclientResultTest,
    testing::Values(
        ResultCase {"Delivered", u"Hello", 0, "", false, false, SendOutcome::Delivered, true},
        ResultCase {"FailedWithItsReason", u"Hello", 1, "Connection to PC01 failed", false, false,
            SendOutcome::Failed, true},
        ResultCase {"DroppedByTheReceiver", u"Hello", 0,
            "cli_message returned NT_STATUS_ACCESS_DENIED", false, false, SendOutcome::Failed,
            true},
        ResultCase {"NoSmbclient", u"Hello", 0, "", true, false, SendOutcome::CouldNotStart, false},
        ResultCase {
            "StoppedBeforeItBegan", u"Hello", 0, "", false, true, SendOutcome::Failed, false},
        ResultCase {"TooLong", std::u16string(1599, u'a'), 0, "", false, false,
            SendOutcome::TooLong, false},
        ResultCase {"OutsideTheCodePage", u"5 \u20ac", 0, "", false, false,
            SendOutcome::Unrepresentable, false}),
    testsupport::RowName());

struct CheckCase
{
    const char *name;
    std::u16string message;
    std::optional<SendOutcome> refused;
};

using MessageCheckTest = testing::TestWithParam<CheckCase>;

// Checked once before a broadcast: what no recipient could be sent.
TEST_P(MessageCheckTest, RefusesWhatNoRecipientCouldTake)
{
    EXPECT_EQ(CheckMessage(GetParam().message), GetParam().refused);
}

INSTANTIATE_TEST_SUITE_P(Messages, MessageCheckTest,
    testing::Values(CheckCase {"Plain", u"Hello", std::nullopt},
        CheckCase {"Longest", std::u16string(1598, u'\u00e9'), std::nullopt},
        CheckCase {"OneByteTooMany", std::u16string(1599, u'a'), SendOutcome::TooLong},
        CheckCase {"LineFeedsCountTwo", std::u16string(800, u'\n'), SendOutcome::TooLong},
        CheckCase {"Euro", u"5 \u20ac", SendOutcome::Unrepresentable},
        CheckCase {"C1Control", u"\u0085", SendOutcome::Unrepresentable},
        CheckCase {"Nul", std::u16string(u"a\0b", 3), SendOutcome::Unrepresentable}),
    testsupport::RowName());

} // namespace
