// The countdown: each tick of tmrCount lowers the count, and the tick that
// finds it run out starts the program and ends the tool.
#include "crierfixture.h"

namespace {

using Items = std::vector<std::u16string>;

class CountdownTest : public CrierTest
{
protected:
    void SetUp() override
    {
        start();
        txtMessage().setText(u"Going down");
        fillBook({u"A"});
        chkCount().click();
        txtFile().setText(u"/usr/bin/halt-helper --now");
    }

    // Arms the countdown with this count.
    void arm(const std::u16string &count)
    {
        txtCount().setText(count);
        pressSend();
        ASSERT_TRUE(tmrCount().enabled);
    }

    // Ticks until the tool ends; answers the counts shown before that.
    Items tickToEnd(int limit = 1000)
    {
        Items shown;
        for (int i = 0; i < limit; ++i) {
            try {
                tmrCount().elapse();
            } catch (const fakes::ProcessEnded &) {
                return shown;
            }
            shown.push_back(txtCount().value);
        }
        ADD_FAILURE() << "the tool did not end";
        return shown;
    }
};

TEST_F(CountdownTest, CountsSecondsThenStartsProgram)
{
    arm(u"3");
    EXPECT_EQ(tickToEnd(), (Items {u"2", u"1", u"0"}));
    EXPECT_EQ(system.started, Items {u"/usr/bin/halt-helper --now"});
}

TEST_F(CountdownTest, SixtyTakesSixtyOneTicks)
{
    arm(u"60");
    const Items shown = tickToEnd();
    ASSERT_EQ(shown.size(), 60u);
    EXPECT_EQ(shown.front(), u"59");
    EXPECT_EQ(shown.back(), u"0");
    EXPECT_EQ(system.started.size(), 1u);
}

TEST_F(CountdownTest, ZeroStartsAtFirstTick)
{
    arm(u"0");
    EXPECT_TRUE(tickToEnd().empty());
    EXPECT_EQ(system.started.size(), 1u);
}

TEST_F(CountdownTest, UnreadableCountStartsAtFirstTick)
{
    arm(u"");
    EXPECT_TRUE(tickToEnd().empty());
    EXPECT_EQ(system.started.size(), 1u);
}

TEST_F(CountdownTest, EmptiedDuringCountdownStartsAtNextTick)
{
    arm(u"60");
    tmrCount().elapse();
    tmrCount().elapse();
    EXPECT_EQ(txtCount().value, u"58");
    txtCount().setText(u"");
    EXPECT_TRUE(tickToEnd().empty());
}

TEST_F(CountdownTest, EditedCountChangesRemainingTicks)
{
    arm(u"60");
    tmrCount().elapse();
    txtCount().setText(u"2");
    EXPECT_EQ(tickToEnd(), (Items {u"1", u"0"}));
}

TEST_F(CountdownTest, PastedFractionCountsDown)
{
    arm(u"60");
    txtCount().setText(u"2.5");
    EXPECT_EQ(tickToEnd(), (Items {u"1.5", u"0.5"}));
}

TEST_F(CountdownTest, PastedFractionKeepsItsDecimals)
{
    arm(u"60");
    txtCount().setText(u"3.3");
    EXPECT_EQ(tickToEnd(), (Items {u"2.3", u"1.3", u"0.3"}));
}

TEST_F(CountdownTest, EmptyProgramEndsAllTheSame)
{
    txtFile().setText(u"");
    arm(u"1");
    tickToEnd();
    EXPECT_EQ(system.started, Items {u""});
}

TEST_F(CountdownTest, UncheckingDoesNotStopIt)
{
    arm(u"1");
    chkCount().click();
    EXPECT_EQ(tickToEnd(), Items {u"0"});
}

TEST_F(CountdownTest, TickInTheMiddleOfARunEndsTheTool)
{
    arm(u"0");
    // A second run, one send at a time, the first under way when the timer
    // ticks.
    fillBook({u"B", u"C"});
    writeSettings("[Options]\nParallel=1\n");
    system.sends.clear();
    system.holdSends = true;
    cmdSend().click();
    ASSERT_EQ(system.held().size(), 1u);
    EXPECT_THROW(tmrCount().elapse(), fakes::ProcessEnded);
    EXPECT_EQ(system.started.size(), 1u);
    // The send under way was stopped before it reached the service, and
    // none starts after it.
    system.complete();
    EXPECT_EQ(toolkit.runPosted(), 1);
    EXPECT_TRUE(system.held().empty());
    EXPECT_TRUE(system.sends.empty());
}

TEST_F(CountdownTest, CountBoxTakesDigitsAndBackspace)
{
    txtCount().setText(u"");
    txtCount().type(u"7a-.\r 5");
    EXPECT_EQ(txtCount().value, u"75");
    txtCount().type(u"\b");
    EXPECT_EQ(txtCount().value, u"7");
}

TEST_F(CountdownTest, OtherBoxesAreNotFiltered)
{
    txtAddress().setText(u"");
    txtAddress().type(u"pc-1.a");
    EXPECT_EQ(txtAddress().value, u"pc-1.a");
}

} // namespace
