// The broadcast run: expansion, one send per host, the status lines, the
// closing box, and the countdown it arms.
#include "crierfixture.h"

namespace {

using Items = std::vector<std::u16string>;

class RunTest : public CrierTest
{
protected:
    void SetUp() override
    {
        start();
        txtMessage().setText(u"Hello all");
    }

    std::vector<std::u16string> sentTo() const
    {
        std::vector<std::u16string> hosts;
        for (const fakes::Send &send : system.sends)
            hosts.push_back(send.toUser);
        return hosts;
    }
};

TEST_F(RunTest, NothingWithoutMessageOrBook)
{
    txtMessage().setText(u"");
    fillBook({u"PC1"});
    cmdSend().click();
    EXPECT_TRUE(system.sends.empty());
    EXPECT_EQ(lstStatus().items, Items {u"Ready"});

    txtMessage().setText(u"Hi");
    lstNetwork().click(0);
    cmdRemove().click();
    cmdSend().click();
    EXPECT_TRUE(system.sends.empty());
    EXPECT_EQ(lstStatus().items, Items {u"Ready"});
    EXPECT_TRUE(toolkit.boxes.empty());
}

TEST_F(RunTest, BlankMessageIsSent)
{
    txtMessage().setText(u" \n ");
    fillBook({u"PC1"});
    cmdSend().click();
    ASSERT_EQ(system.sends.size(), 1u);
    EXPECT_EQ(system.sends[0].message, u" \n ");
}

TEST_F(RunTest, NameAndRange)
{
    fillBook({u"PC1", u"10.1.1.1-10.1.1.3"});
    system.refused = {u"10.1.1.2"};
    cmdSend().click();
    EXPECT_EQ(sentTo(), (Items {u"PC1", u"10.1.1.1", u"10.1.1.2", u"10.1.1.3"}));
    EXPECT_EQ(lstTemp().items, (Items {u"PC1", u"10.1.1.1", u"10.1.1.2", u"10.1.1.3"}));
    EXPECT_EQ(lstStatus().items,
        (Items {
            u"PC1 - OK", u"10.1.1.1 - OK", u"10.1.1.2 - Failed", u"10.1.1.3 - OK", u"", u"Done."}));
    for (const fakes::Send &send : system.sends) {
        EXPECT_EQ(send.fromUser, u"SENDER-PC");
        EXPECT_EQ(send.message, u"Hello all");
    }
    ASSERT_EQ(toolkit.boxes.size(), 1u);
    EXPECT_EQ(toolkit.boxes[0].text, u"The message was broadcasted!");
    EXPECT_EQ(toolkit.boxes[0].title, u"Done");
    EXPECT_EQ(toolkit.boxes[0].icon, forms::BoxIcon::Information);
    EXPECT_TRUE(cmdSend().enabled);
    EXPECT_EQ(cmdSend().label, u"&Send");
    EXPECT_FALSE(tmrCount().enabled);
}

TEST_F(RunTest, StatusLinesFollowTheBox)
{
    fillBook({u"PC1"});
    Items whileBoxShown;
    toolkit.onBox = [&](const fakes::ShownBox &) { whileBoxShown = lstStatus().items; };
    cmdSend().click();
    EXPECT_EQ(whileBoxShown, Items {u"PC1 - OK"});
}

TEST_F(RunTest, ErrorLinesComeFirstAndNameTheEntry)
{
    fillBook(
        {u"PC1", u"10.1.1.1-10.1.1.x", u"10.1.1.9-10.1.1.3", u"10.1.1.1-10.1.1.40000", u"PC2"});
    cmdSend().click();
    EXPECT_EQ(lstStatus().items,
        (Items {u"ERROR - 10.1.1.1-10.1.1.x", u"ERROR - 10.1.1.1-10.1.1.40000", u"PC1 - OK",
            u"PC2 - OK", u"", u"Done."}));
}

TEST_F(RunTest, DuplicatesAndEmptyEntriesAreSent)
{
    writeSettings("[List]\n0=PC1\n1=\n2=PC1\n");
    form.reset();
    start();
    txtMessage().setText(u"Hi");
    system.refused = {u""};
    cmdSend().click();
    EXPECT_EQ(sentTo(), (Items {u"PC1", u"", u"PC1"}));
    EXPECT_EQ(lstStatus().items, (Items {u"PC1 - OK", u" - Failed", u"PC1 - OK", u"", u"Done."}));
}

TEST_F(RunTest, EveryHostFailingStillSaysBroadcasted)
{
    fillBook({u"A", u"B"});
    system.refused = {u"A", u"B"};
    cmdSend().click();
    ASSERT_EQ(toolkit.boxes.size(), 1u);
    EXPECT_EQ(toolkit.boxes[0].text, u"The message was broadcasted!");
}

TEST_F(RunTest, SendDisabledDuringTheRun)
{
    fillBook({u"A", u"B"});
    std::vector<std::pair<bool, std::u16string>> seen;
    system.duringSend = [&](const fakes::Send &) {
        seen.emplace_back(cmdSend().enabled, cmdSend().label);
        // A second press in the middle of a run starts nothing.
        cmdSend().click();
    };
    cmdSend().click();
    ASSERT_EQ(seen.size(), 2u);
    for (const auto &[enabled, caption] : seen) {
        EXPECT_FALSE(enabled);
        EXPECT_EQ(caption, u"Sending...");
    }
    EXPECT_EQ(system.sends.size(), 2u);
}

TEST_F(RunTest, PendingEventsAroundEachSend)
{
    fillBook({u"A", u"B"});
    system.refused = {u"B"};
    int passesBefore = -1;
    system.duringSend = [&](const fakes::Send &send) {
        if (send.toUser == u"A")
            passesBefore = toolkit.pendingEventPasses;
    };
    cmdSend().click();
    // Before A, after A (accepted), before B; none after the refused B.
    EXPECT_EQ(passesBefore, 1);
    EXPECT_EQ(toolkit.pendingEventPasses, 3);
}

TEST_F(RunTest, MessageEditedDuringRunReachesLaterHosts)
{
    fillBook({u"A", u"B", u"C"});
    system.duringSend = [&](const fakes::Send &send) {
        if (send.toUser == u"A")
            txtMessage().setText(u"Correction");
    };
    cmdSend().click();
    EXPECT_EQ(system.sends[0].message, u"Hello all");
    EXPECT_EQ(system.sends[1].message, u"Correction");
    EXPECT_EQ(system.sends[2].message, u"Correction");
}

TEST_F(RunTest, BookEditedDuringRunDoesNotChangeHosts)
{
    fillBook({u"A", u"B"});
    system.duringSend = [&](const fakes::Send &send) {
        if (send.toUser == u"A") {
            txtAddress().setText(u"LATE");
            cmdAdd().click();
        }
    };
    cmdSend().click();
    EXPECT_EQ(sentTo(), (Items {u"A", u"B"}));
    EXPECT_EQ(lstNetwork().items, (Items {u"LATE", u"A", u"B"}));
}

TEST_F(RunTest, SecondRunStartsAfresh)
{
    fillBook({u"A"});
    cmdSend().click();
    cmdSend().click();
    EXPECT_EQ(lstStatus().items, (Items {u"A - OK", u"", u"Done."}));
    EXPECT_EQ(lstTemp().items, Items {u"A"});
}

TEST_F(RunTest, LargeBookOfRanges)
{
    std::vector<std::u16string> book;
    for (int i = 0; i < 100; ++i)
        book.push_back(u"10.0.0.0-10.0.0.255");
    fillBook(book);
    cmdSend().click();
    EXPECT_EQ(system.sends.size(), 25600u);
    EXPECT_EQ(lstStatus().count(), 25602);
}

// ---- the countdown the run arms ---------------------------------------------

TEST_F(RunTest, CheckedCountArmsTimerWithoutBox)
{
    fillBook({u"A"});
    chkCount().click();
    cmdSend().click();
    EXPECT_TRUE(toolkit.boxes.empty());
    EXPECT_EQ(lstStatus().items, (Items {u"A - OK", u"", u"Done."}));
    EXPECT_TRUE(tmrCount().enabled);
    EXPECT_EQ(tmrCount().period, 1000);
}

struct ArmCase
{
    const char *name;
    std::u16string count;
    bool error;
};

void PrintTo(const ArmCase &c, std::ostream *out)
{
    *out << c.name;
}

class ArmTest : public RunTest, public testing::WithParamInterface<ArmCase>
{
};

TEST_P(ArmTest, TicksEverySecond)
{
    fillBook({u"A"});
    chkCount().click();
    txtCount().setText(GetParam().count);
    cmdSend().click();
    Items expected {u"A - OK", u"", u"Done."};
    if (GetParam().error)
        expected.push_back(u"ERROR - ");
    EXPECT_EQ(lstStatus().items, expected);
    EXPECT_TRUE(tmrCount().enabled);
    EXPECT_EQ(tmrCount().period, 1000);
}

INSTANTIATE_TEST_SUITE_P(Counts, ArmTest,
    testing::Values(ArmCase {"Sixty", u"60", false}, ArmCase {"One", u"1", false},
        ArmCase {"Zero", u"0", false}, ArmCase {"Large", u"4000", false},
        ArmCase {"Empty", u"", true}, ArmCase {"Letters", u"abc", true}));

TEST_F(RunTest, GrayedCountNeitherBoxNorTimer)
{
    writeSettings("[List]\n0=A\n[Options]\nCount=2\n");
    form.reset();
    start();
    txtMessage().setText(u"Hi");
    cmdSend().click();
    EXPECT_TRUE(toolkit.boxes.empty());
    EXPECT_FALSE(tmrCount().enabled);
    EXPECT_EQ(lstStatus().items, (Items {u"A - OK", u"", u"Done."}));
}

TEST_F(RunTest, UncheckedRunLeavesCountdownRunning)
{
    fillBook({u"A"});
    chkCount().click();
    cmdSend().click();
    chkCount().click();
    cmdSend().click();
    EXPECT_TRUE(tmrCount().enabled);
    EXPECT_EQ(toolkit.boxes.size(), 1u);
}

} // namespace
