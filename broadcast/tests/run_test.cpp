// The broadcast run: expansion, one send per host, the status lines, the
// closing box, and the countdown it arms.  The sends run beside the window:
// with held sends the tests end each one when they choose.
#include "crierfixture.h"
#include "rows.h"

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
    std::vector<std::u16string> heldHosts() const
    {
        std::vector<std::u16string> hosts;
        for (const forms::SendRequest &send : system.held())
            hosts.push_back(send.toUser);
        return hosts;
    }
};

TEST_F(RunTest, NothingWithoutMessageOrBook)
{
    txtMessage().setText(u"");
    fillBook({u"PC1"});
    pressSend();
    EXPECT_TRUE(system.sends.empty());
    EXPECT_EQ(lstStatus().items, Items {u"Ready"});

    txtMessage().setText(u"Hi");
    lstNetwork().click(0);
    cmdRemove().click();
    pressSend();
    EXPECT_TRUE(system.sends.empty());
    EXPECT_EQ(lstStatus().items, Items {u"Ready"});
    EXPECT_TRUE(toolkit.boxes.empty());
}

TEST_F(RunTest, BlankMessageIsSent)
{
    txtMessage().setText(u" \n ");
    fillBook({u"PC1"});
    pressSend();
    ASSERT_EQ(system.sends.size(), 1u);
    EXPECT_EQ(system.sends[0].message, u" \n ");
}

TEST_F(RunTest, NameAndRange)
{
    fillBook({u"PC1", u"10.1.1.1-10.1.1.3"});
    system.refused = {u"10.1.1.2"};
    pressSend();
    EXPECT_EQ(sentTo(), (Items {u"PC1", u"10.1.1.1", u"10.1.1.2", u"10.1.1.3"}));
    EXPECT_EQ(lstStatus().items,
        (Items {
            u"PC1 - OK", u"10.1.1.1 - OK", u"10.1.1.2 - Failed", u"10.1.1.3 - OK", u"", u"Done."}));
    for (const fakes::Send &send : system.sends)
        EXPECT_EQ(send.message, u"Hello all");
    ASSERT_EQ(toolkit.boxes.size(), 1u);
    EXPECT_EQ(toolkit.boxes[0].text, u"The message was broadcasted!");
    EXPECT_EQ(toolkit.boxes[0].title, u"Done");
    EXPECT_EQ(toolkit.boxes[0].icon, forms::BoxIcon::Information);
    EXPECT_TRUE(cmdSend().enabled);
    EXPECT_EQ(cmdSend().label, u"&Send");
    EXPECT_FALSE(tmrCount().enabled);
    // The hosts under way: none after the run.
    EXPECT_TRUE(lstTemp().items.empty());
}

TEST_F(RunTest, StatusLinesFollowTheBox)
{
    fillBook({u"PC1"});
    Items whileBoxShown;
    toolkit.onBox = [&](const fakes::ShownBox &) { whileBoxShown = lstStatus().items; };
    pressSend();
    EXPECT_EQ(whileBoxShown, Items {u"PC1 - OK"});
}

TEST_F(RunTest, ErrorLinesComeFirstAndNameTheEntry)
{
    fillBook(
        {u"PC1", u"10.1.1.1-10.1.1.x", u"10.1.1.9-10.1.1.3", u"10.1.1.1-10.1.1.40000", u"PC2"});
    pressSend();
    EXPECT_EQ(lstStatus().items,
        (Items {u"ERROR - 10.1.1.1-10.1.1.x", u"ERROR - 10.1.1.1-10.1.1.40000", u"PC1 - OK",
            u"PC2 - OK", u"", u"Done."}));
}

TEST_F(RunTest, BookWithoutHostsStillEnds)
{
    fillBook({u"10.1.1.9-10.1.1.3", u"10.1.1.1-10.1.1.x"});
    cmdSend().click();
    EXPECT_EQ(lstStatus().items, (Items {u"ERROR - 10.1.1.1-10.1.1.x", u"", u"Done."}));
    EXPECT_EQ(toolkit.boxes.size(), 1u);
    EXPECT_TRUE(cmdSend().enabled);
}

TEST_F(RunTest, DuplicatesAndEmptyEntriesAreSent)
{
    writeSettings("[List]\n0=PC1\n1=\n2=PC1\n");
    form.reset();
    start();
    txtMessage().setText(u"Hi");
    system.refused = {u""};
    pressSend();
    EXPECT_EQ(sentTo(), (Items {u"PC1", u"", u"PC1"}));
    EXPECT_EQ(lstStatus().items, (Items {u"PC1 - OK", u" - Failed", u"PC1 - OK", u"", u"Done."}));
}

TEST_F(RunTest, EveryHostFailingStillSaysBroadcasted)
{
    fillBook({u"A", u"B"});
    system.refused = {u"A", u"B"};
    pressSend();
    ASSERT_EQ(toolkit.boxes.size(), 1u);
    EXPECT_EQ(toolkit.boxes[0].text, u"The message was broadcasted!");
}

// ---- sends beside the window ----------------------------------------------------

TEST_F(RunTest, SendDisabledUntilTheLastSendEnds)
{
    fillBook({u"A", u"B"});
    system.holdSends = true;
    cmdSend().click();
    EXPECT_EQ(heldHosts(), (Items {u"A", u"B"}));
    // A second press in the middle of a run starts nothing.
    cmdSend().click();
    EXPECT_EQ(system.held().size(), 2u);
    complete(u"B");
    EXPECT_FALSE(cmdSend().enabled);
    EXPECT_EQ(cmdSend().label, u"Sending...");
    EXPECT_TRUE(toolkit.boxes.empty());
    complete(u"A");
    EXPECT_EQ(toolkit.boxes.size(), 1u);
    EXPECT_EQ(lstStatus().items, (Items {u"A - OK", u"B - OK", u"", u"Done."}));
    EXPECT_TRUE(cmdSend().enabled);
    EXPECT_EQ(cmdSend().label, u"&Send");
}

// Which sends end when, and what the window shows after each: lines only in
// book order, a fast host waiting for the slow ones before it.
struct OrderCase
{
    const char *name;
    const char *parallel;
    std::vector<std::u16string> endOrder;
    // The hosts under way and the status lines after each end.
    std::vector<Items> underWay;
    std::vector<Items> lines;
};

using testsupport::PrintTo;

class OrderTest : public RunTest, public testing::WithParamInterface<OrderCase>
{
};

TEST_P(OrderTest, LinesInBookOrder)
{
    writeSettings(std::string("[Options]\nParallel=") + GetParam().parallel + "\n");
    fillBook({u"A", u"B", u"C", u"D"});
    system.holdSends = true;
    cmdSend().click();
    for (std::size_t step = 0; step < GetParam().endOrder.size(); ++step) {
        SCOPED_TRACE(step);
        complete(GetParam().endOrder[step]);
        EXPECT_EQ(heldHosts(), GetParam().underWay[step]);
        EXPECT_EQ(lstStatus().items, GetParam().lines[step]);
    }
    EXPECT_EQ(sentTo(), GetParam().endOrder);
}

INSTANTIATE_TEST_SUITE_P(Runs, OrderTest,
    testing::Values(
        OrderCase {"OneAtATime", "1", {u"A", u"B", u"C", u"D"}, {{u"B"}, {u"C"}, {u"D"}, {}},
            {{u"A - OK"}, {u"A - OK", u"B - OK"}, {u"A - OK", u"B - OK", u"C - OK"},
                {u"A - OK", u"B - OK", u"C - OK", u"D - OK", u"", u"Done."}}},
        OrderCase {"SlowFirstHostHoldsTheLines", "4", {u"D", u"B", u"C", u"A"},
            {{u"A", u"B", u"C"}, {u"A", u"C"}, {u"A"}, {}},
            {{}, {}, {}, {u"A - OK", u"B - OK", u"C - OK", u"D - OK", u"", u"Done."}}},
        OrderCase {"FreedPlaceTakesTheNextHost", "2", {u"B", u"C", u"A", u"D"},
            {{u"A", u"C"}, {u"A", u"D"}, {u"D"}, {}},
            {{}, {}, {u"A - OK", u"B - OK", u"C - OK"},
                {u"A - OK", u"B - OK", u"C - OK", u"D - OK", u"", u"Done."}}}),
    testsupport::RowName());

TEST_F(RunTest, HiddenListHoldsTheHostsUnderWay)
{
    fillBook({u"A", u"B", u"C"});
    system.holdSends = true;
    cmdSend().click();
    EXPECT_EQ(lstTemp().items, (Items {u"A", u"B", u"C"}));
    complete(u"B");
    EXPECT_EQ(lstTemp().items, (Items {u"A", u"B", u"C"}));
    complete(u"A");
    EXPECT_EQ(lstTemp().items, Items {u"C"});
}

// [Options] Parallel: how many sends may be under way at once.
struct ParallelCase
{
    const char *name;
    const char *settings;
    std::size_t underWay;
};

class ParallelTest : public RunTest, public testing::WithParamInterface<ParallelCase>
{
};

TEST_P(ParallelTest, SendsUnderWayAtOnce)
{
    if (GetParam().settings)
        writeSettings(GetParam().settings);
    fillBook({u"10.0.0.0-10.0.0.299"});
    system.holdSends = true;
    cmdSend().click();
    EXPECT_EQ(system.held().size(), GetParam().underWay);
    EXPECT_EQ(lstTemp().count(), int(GetParam().underWay));
    // Read, never written.
    const std::string before = settingsText();
    system.complete();
    toolkit.runPosted();
    EXPECT_EQ(settingsText(), before);
}

INSTANTIATE_TEST_SUITE_P(Settings, ParallelTest,
    testing::Values(ParallelCase {"NoFile", nullptr, 40},
        ParallelCase {"NoKey", "[Options]\nCount=0\n", 40},
        ParallelCase {"One", "[Options]\nParallel=1\n", 1},
        ParallelCase {"Five", "[Options]\nParallel=5\n", 5},
        ParallelCase {"Blanks", "[Options]\nParallel = 7 \n", 7},
        ParallelCase {"Zero", "[Options]\nParallel=0\n", 40},
        ParallelCase {"Negative", "[Options]\nParallel=-3\n", 40},
        ParallelCase {"Letters", "[Options]\nParallel=many\n", 40},
        ParallelCase {"Fraction", "[Options]\nParallel=2.5\n", 40},
        ParallelCase {"AboveCeiling", "[Options]\nParallel=100000\n", 256},
        ParallelCase {"Huge", "[Options]\nParallel=99999999999999999999\n", 256}),
    testsupport::RowName());

TEST_F(RunTest, EachSendTakesTheMessageAsItStartsThen)
{
    writeSettings("[Options]\nParallel=2\n");
    fillBook({u"A", u"B", u"C"});
    system.holdSends = true;
    cmdSend().click();
    txtMessage().setText(u"Correction");
    complete(u"B");
    complete(u"A");
    complete(u"C");
    ASSERT_EQ(sentTo(), (Items {u"B", u"A", u"C"}));
    EXPECT_EQ(system.sends[0].message, u"Hello all");
    EXPECT_EQ(system.sends[1].message, u"Hello all");
    EXPECT_EQ(system.sends[2].message, u"Correction");
}

TEST_F(RunTest, WindowIsFreeWhileSendsAreUnderWay)
{
    fillBook({u"A", u"B"});
    system.holdSends = true;
    cmdSend().click();
    // The book can be edited, and the edit does not change the run's hosts.
    txtAddress().setText(u"LATE");
    cmdAdd().click();
    complete(u"A");
    complete(u"B");
    EXPECT_EQ(sentTo(), (Items {u"A", u"B"}));
    EXPECT_EQ(lstNetwork().items, (Items {u"LATE", u"A", u"B"}));
    // No loop of its own: the run only ever answers events.
    EXPECT_EQ(toolkit.pendingEventPasses, 0);
}

TEST_F(RunTest, ClosingTheWindowStopsTheRun)
{
    writeSettings("[Options]\nParallel=2\n");
    fillBook({u"A", u"B", u"C", u"D"});
    system.holdSends = true;
    cmdSend().click();
    complete(u"A");
    ASSERT_EQ(heldHosts(), (Items {u"B", u"C"}));
    window().close();
    // The sends under way are stopped before they reach the service, no
    // further one starts, and their results come to nothing.
    complete(u"B");
    complete(u"C");
    EXPECT_TRUE(system.held().empty());
    EXPECT_EQ(sentTo(), Items {u"A"});
    EXPECT_EQ(lstStatus().items, Items {u"A - OK"});
    EXPECT_TRUE(toolkit.boxes.empty());
}

TEST_F(RunTest, LateResultAfterTheWindowHasGone)
{
    fillBook({u"A"});
    system.holdSends = true;
    cmdSend().click();
    window().close();
    form.reset();
    complete(u"A");
    EXPECT_TRUE(system.sends.empty());
}

TEST_F(RunTest, SecondRunStartsAfresh)
{
    fillBook({u"A"});
    pressSend();
    system.holdSends = true;
    cmdSend().click();
    EXPECT_EQ(lstStatus().items, Items {});
    EXPECT_EQ(lstTemp().items, Items {u"A"});
    complete(u"A");
    EXPECT_EQ(lstStatus().items, (Items {u"A - OK", u"", u"Done."}));
    EXPECT_EQ(toolkit.boxes.size(), 2u);
}

TEST_F(RunTest, LargeBookOfRanges)
{
    std::vector<std::u16string> book;
    for (int i = 0; i < 100; ++i)
        book.push_back(u"10.0.0.0-10.0.0.255");
    fillBook(book);
    pressSend();
    EXPECT_EQ(system.sends.size(), 25600u);
    EXPECT_EQ(lstStatus().count(), 25602);
}

TEST_F(RunTest, HugeBookIsExpandedAsItIsSent)
{
    std::vector<std::u16string> book;
    for (int i = 0; i < 100; ++i)
        book.push_back(u"10.0.0.1-10.0.0.32767");
    fillBook(book);
    system.holdSends = true;
    cmdSend().click();
    // 3.3 million hosts, of which the run holds only those under way.
    EXPECT_EQ(lstTemp().count(), 40);
    EXPECT_EQ(lstTemp().items.back(), u"10.0.0.40");
}

// ---- a message no host could take ------------------------------------------------

struct UnsendableCase
{
    const char *name;
    SendOutcome why;
    std::u16string text;
};

class UnsendableTest : public RunTest, public testing::WithParamInterface<UnsendableCase>
{
};

TEST_P(UnsendableTest, RefusedWithABoxAndNoRun)
{
    fillBook({u"A", u"B"});
    system.unsendable[u"Hello all"] = GetParam().why;
    pressSend();
    ASSERT_EQ(toolkit.boxes.size(), 1u);
    EXPECT_EQ(toolkit.boxes[0].text, GetParam().text);
    EXPECT_EQ(toolkit.boxes[0].title, u"Error");
    EXPECT_EQ(toolkit.boxes[0].icon, forms::BoxIcon::Critical);
    EXPECT_TRUE(system.sends.empty());
    EXPECT_EQ(lstStatus().items, Items {u"Ready"});
    EXPECT_TRUE(cmdSend().enabled);
    EXPECT_EQ(cmdSend().label, u"&Send");
}

INSTANTIATE_TEST_SUITE_P(Messages, UnsendableTest,
    testing::Values(
        UnsendableCase {"CodePage", SendOutcome::Unrepresentable, u"Codeset conversion failure."},
        UnsendableCase {"Length", SendOutcome::TooLong,
            u"The message is too long to be delivered in one piece. Shorten it and send "
            u"again."}),
    testsupport::RowName());

// ---- the countdown the run arms ---------------------------------------------

TEST_F(RunTest, CheckedCountArmsTimerWithoutBox)
{
    fillBook({u"A"});
    chkCount().click();
    pressSend();
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

class ArmTest : public RunTest, public testing::WithParamInterface<ArmCase>
{
};

TEST_P(ArmTest, TicksEverySecond)
{
    fillBook({u"A"});
    chkCount().click();
    txtCount().setText(GetParam().count);
    pressSend();
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
    pressSend();
    EXPECT_TRUE(toolkit.boxes.empty());
    EXPECT_FALSE(tmrCount().enabled);
    EXPECT_EQ(lstStatus().items, (Items {u"A - OK", u"", u"Done."}));
}

TEST_F(RunTest, UncheckedRunLeavesCountdownRunning)
{
    fillBook({u"A"});
    chkCount().click();
    pressSend();
    chkCount().click();
    pressSend();
    EXPECT_TRUE(tmrCount().enabled);
    EXPECT_EQ(toolkit.boxes.size(), 1u);
}

} // namespace
