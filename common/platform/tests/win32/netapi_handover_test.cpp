// How the Win32 layer calls NetMessageBufferSend: the bytes of recipient and
// message, the length argument, and the names it leaves out.
#include "fakenetapi.h"
#include "platform.h"
#include "rows.h"

#include <gtest/gtest.h>

namespace {

struct WireCase
{
    const char *name;
    std::u16string message;
    unsigned long length;
    std::string buffer; // hex of the bytes the length covers
};

using testsupport::PrintTo;

using NetapiWireTest = testing::TestWithParam<WireCase>;

// The length is 2n + 1 for n UTF-16 units; the buffer holds the units and a
// whole terminator unit behind them.
TEST_P(NetapiWireTest, BufferIsUtf16WithTerminatorAndOddLength)
{
    probe::FakeNetapi netapi;

    ASSERT_TRUE(BroadcastMessage(u"PC01", u"", GetParam().message));

    const auto calls = netapi.calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].length, GetParam().length);
    EXPECT_EQ(calls[0].buffer, GetParam().buffer);
    EXPECT_TRUE(calls[0].terminated);
    EXPECT_EQ(calls[0].text, GetParam().buffer.substr(0, 4 * GetParam().message.size()));
}

INSTANTIATE_TEST_SUITE_P(Messages, NetapiWireTest,
    testing::Values(
        WireCase {"HiUmlautEuro", u"Hi \u00dc\u20ac!", 13, "480069002000dc00ac20210000"},
        WireCase {"Empty", u"", 1, "00"}, WireCase {"CrLf", u"a\r\nb", 9, "61000d000a00620000"},
        WireCase {"SurrogatePairCountsTwoUnits", u"\U0001F600", 5, "3dd800de00"}),
    testsupport::RowName());

TEST(NetapiCallTest, RecipientIsUtf16AsTyped)
{
    probe::FakeNetapi netapi;

    ASSERT_TRUE(BroadcastMessage(u"  Pc \u00dc ", u"", u"x"));

    const auto calls = netapi.calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].recipient, "20002000500063002000dc002000");
}

// The service fills in this computer and the sender itself.
TEST(NetapiCallTest, NoServerAndNoSenderName)
{
    probe::FakeNetapi netapi;

    ASSERT_TRUE(BroadcastMessage(u"PC01", u"ALICE", u"x"));

    const auto calls = netapi.calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(calls[0].serverNull);
    EXPECT_TRUE(calls[0].senderNull);
}

// The send's answer keeps the service's status; a send stopped before it
// began never reaches the service.
TEST(NetapiCallTest, ResultCarriesTheStatus)
{
    probe::FakeNetapi netapi;
    netapi.refuse(u"GONE");

    const SendResult refused = SendMessageTo(u"GONE", u"x", {});
    EXPECT_EQ(refused.outcome, SendOutcome::Failed);
    EXPECT_NE(refused.diagnostics.find("2273"), std::string::npos) << refused.diagnostics;
    EXPECT_EQ(SendMessageTo(u"PC01", u"x", {}).outcome, SendOutcome::Delivered);
    std::stop_source stop;
    stop.request_stop();
    EXPECT_EQ(SendMessageTo(u"PC01", u"x", stop.get_token()).outcome, SendOutcome::Failed);
    EXPECT_EQ(netapi.calls().size(), 2u);
    // Whatever the text: the service is the judge.
    EXPECT_EQ(CheckMessage(u"\u20ac \u0085"), std::nullopt);
}

} // namespace
