#include "fakesystem.h"
#include "faketoolkit.h"
#include "rows.h"
#include "sendpool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

using Hosts = std::vector<std::u16string>;

std::u16string host(int n)
{
    const std::string name = "H" + std::to_string(n);
    return std::u16string(name.begin(), name.end());
}

// A pool over the hosts H0, H1, ..., recording what it hands on.
class PoolTest : public testing::Test
{
protected:
    std::unique_ptr<forms::SendPool> makePool(int parallel, int hosts)
    {
        total = hosts;
        return std::make_unique<forms::SendPool>(toolkit, system, parallel,
            forms::SendPool::Handlers {[this]() -> std::optional<forms::SendRequest> {
                                           ++asked;
                                           if (nextHost >= total)
                                               return std::nullopt;
                                           return forms::SendRequest {host(nextHost++), message};
                                       },
                [this](const std::u16string &toUser, const SendResult &result) {
                    handedOn.push_back(toUser);
                    delivered.push_back(result.outcome == SendOutcome::Delivered);
                },
                [this] { ++finished; }});
    }
    Hosts held() const
    {
        Hosts hosts;
        for (const forms::SendRequest &send : system.held())
            hosts.push_back(send.toUser);
        return hosts;
    }
    void complete(const std::u16string &toUser)
    {
        system.complete(toUser);
        toolkit.runPosted();
    }

    fakes::Toolkit toolkit;
    fakes::System system;
    std::u16string message = u"M";
    int total = 0;
    int nextHost = 0;
    int asked = 0;
    int finished = 0;
    Hosts handedOn;
    std::vector<bool> delivered;
};

// Sends end in any order; results are handed on in the order the sends
// started, and a place that frees takes the next host at once.
struct OrderCase
{
    const char *name;
    int parallel;
    int hosts;
    Hosts endOrder;
    std::vector<Hosts> underWay; // after each end
    std::vector<Hosts> handedOn; // after each end
};

using testsupport::PrintTo;

class PoolOrderTest : public PoolTest, public testing::WithParamInterface<OrderCase>
{
};

TEST_P(PoolOrderTest, ResultsInStartOrder)
{
    const OrderCase &c = GetParam();
    system.holdSends = true;
    auto pool = makePool(c.parallel, c.hosts);
    pool->start();
    for (std::size_t step = 0; step < c.endOrder.size(); ++step) {
        SCOPED_TRACE(step);
        EXPECT_EQ(finished, 0);
        complete(c.endOrder[step]);
        EXPECT_EQ(held(), c.underWay[step]);
        EXPECT_EQ(handedOn, c.handedOn[step]);
        EXPECT_EQ(pool->underWay(), std::size_t(nextHost) - handedOn.size());
    }
    EXPECT_EQ(finished, 1);
}

INSTANTIATE_TEST_SUITE_P(Pools, PoolOrderTest,
    testing::Values(OrderCase {"OneAtATime", 1, 3, {u"H0", u"H1", u"H2"}, {{u"H1"}, {u"H2"}, {}},
                        {{u"H0"}, {u"H0", u"H1"}, {u"H0", u"H1", u"H2"}}},
        OrderCase {"InOrder", 3, 3, {u"H0", u"H1", u"H2"}, {{u"H1", u"H2"}, {u"H2"}, {}},
            {{u"H0"}, {u"H0", u"H1"}, {u"H0", u"H1", u"H2"}}},
        OrderCase {"Reversed", 3, 3, {u"H2", u"H1", u"H0"}, {{u"H0", u"H1"}, {u"H0"}, {}},
            {{}, {}, {u"H0", u"H1", u"H2"}}},
        OrderCase {"SlowFirst", 2, 4, {u"H1", u"H2", u"H3", u"H0"},
            {{u"H0", u"H2"}, {u"H0", u"H3"}, {u"H0"}, {}},
            {{}, {}, {}, {u"H0", u"H1", u"H2", u"H3"}}},
        OrderCase {"MoreRoomThanHosts", 8, 2, {u"H1", u"H0"}, {{u"H0"}, {}}, {{}, {u"H0", u"H1"}}}),
    testsupport::RowName());

TEST_F(PoolTest, AsksForTheNextSendOnlyWhenAPlaceIsFree)
{
    system.holdSends = true;
    auto pool = makePool(2, 5);
    pool->start();
    EXPECT_EQ(asked, 2);
    // Taken when its send starts, not before.
    message = u"changed";
    complete(u"H1");
    EXPECT_EQ(asked, 3);
    ASSERT_EQ(system.held().size(), 2u);
    EXPECT_EQ(system.held()[0].message, u"M");
    EXPECT_EQ(system.held()[1].message, u"changed");
    EXPECT_EQ(system.workerCount, 2);
}

TEST_F(PoolTest, FailedSendsAreHandedOnAsSuch)
{
    system.refused = {u"H1"};
    auto pool = makePool(4, 3);
    pool->start();
    toolkit.runPosted();
    EXPECT_EQ(handedOn, (Hosts {u"H0", u"H1", u"H2"}));
    EXPECT_EQ(delivered, (std::vector<bool> {true, false, true}));
    EXPECT_EQ(finished, 1);
}

TEST_F(PoolTest, NoSendsFinishesAtOnce)
{
    auto pool = makePool(4, 0);
    pool->start();
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(toolkit.postedCount(), 0u);
}

TEST_F(PoolTest, ResultsOfManyFinishedSendsComeInOnePost)
{
    system.holdSends = true;
    auto pool = makePool(3, 3);
    pool->start();
    system.complete(u"H2");
    system.complete(u"H0");
    system.complete(u"H1");
    EXPECT_EQ(toolkit.postedCount(), 1u);
    toolkit.runPosted();
    EXPECT_EQ(handedOn, (Hosts {u"H0", u"H1", u"H2"}));
}

TEST_F(PoolTest, StopEndsTheSendsAndHandsNothingOn)
{
    system.holdSends = true;
    auto pool = makePool(2, 5);
    pool->start();
    complete(u"H0");
    pool->stop();
    complete(u"H1");
    complete(u"H2");
    // Stopped before they reached the service; none started after.
    EXPECT_EQ(system.sends.size(), 1u);
    EXPECT_TRUE(system.held().empty());
    EXPECT_EQ(handedOn, Hosts {u"H0"});
    EXPECT_EQ(finished, 0);
    EXPECT_EQ(asked, 3);
}

TEST_F(PoolTest, LateResultsAfterThePoolHasGone)
{
    system.holdSends = true;
    auto pool = makePool(2, 2);
    pool->start();
    system.complete(u"H0");
    pool.reset();
    system.complete(u"H1");
    toolkit.runPosted();
    EXPECT_TRUE(handedOn.empty());
    EXPECT_EQ(system.sends.size(), 1u);
}

TEST_F(PoolTest, HandlersMayEndThePool)
{
    std::unique_ptr<forms::SendPool> pool;
    pool = std::make_unique<forms::SendPool>(toolkit, system, 2,
        forms::SendPool::Handlers {[this]() -> std::optional<forms::SendRequest> {
                                       if (nextHost >= 2)
                                           return std::nullopt;
                                       return forms::SendRequest {host(nextHost++), message};
                                   },
            [&](const std::u16string &toUser, const SendResult &) {
                handedOn.push_back(toUser);
                pool.reset();
            },
            [this] { ++finished; }});
    pool->start();
    toolkit.runPosted();
    EXPECT_EQ(handedOn, Hosts {u"H0"});
    EXPECT_EQ(finished, 0);
}

// Asked for the next host as results come in, a handler may end the pool.
TEST_F(PoolTest, NextMayEndThePoolWhileResultsComeIn)
{
    std::unique_ptr<forms::SendPool> pool;
    pool = std::make_unique<forms::SendPool>(toolkit, system, 1,
        forms::SendPool::Handlers {[&]() -> std::optional<forms::SendRequest> {
                                       if (nextHost == 1) {
                                           pool.reset();
                                           return std::nullopt;
                                       }
                                       return forms::SendRequest {host(nextHost++), message};
                                   },
            [&](const std::u16string &toUser, const SendResult &) { handedOn.push_back(toUser); },
            [this] { ++finished; }});
    pool->start();
    toolkit.runPosted();
    EXPECT_FALSE(pool);
    EXPECT_TRUE(handedOn.empty());
    EXPECT_EQ(finished, 0);
}

// The programs' own workers: real threads, each result back on the thread
// that runs the posted tasks.
class ThreadedSystem : public fakes::System
{
public:
    std::unique_ptr<forms::SendWorkers> startWorkers(int count) override
    {
        return forms::System::startWorkers(count);
    }
};

TEST(ThreadedPool, SendsRunSideBySideAndComeBackInOrder)
{
    constexpr int parallel = 4;
    constexpr int hosts = 40;
    fakes::Toolkit toolkit;
    ThreadedSystem system;
    std::mutex mutex;
    std::condition_variable changed;
    int inside = 0;
    int most = 0;
    int begun = 0;
    // The first sends wait for each other: they can only all arrive when
    // they run at once.
    system.duringSend = [&](const fakes::Send &) {
        std::unique_lock lock(mutex);
        most = std::max(most, ++inside);
        if (begun++ < parallel) {
            changed.notify_all();
            changed.wait_for(lock, std::chrono::seconds(10), [&] { return most == parallel; });
        }
        --inside;
    };
    int next = 0;
    Hosts handedOn;
    bool finished = false;
    const std::thread::id windowThread = std::this_thread::get_id();
    bool allOnTheWindowThread = true;
    forms::SendPool pool(toolkit, system, parallel,
        {[&]() -> std::optional<forms::SendRequest> {
             if (next >= hosts)
                 return std::nullopt;
             return forms::SendRequest {host(next++), u"M"};
         },
            [&](const std::u16string &toUser, const SendResult &) {
                allOnTheWindowThread
                    = allOnTheWindowThread && std::this_thread::get_id() == windowThread;
                handedOn.push_back(toUser);
            },
            [&] { finished = true; }});
    pool.start();
    while (!finished) {
        ASSERT_TRUE(toolkit.waitForPosted(std::chrono::seconds(20)));
        toolkit.runPosted();
    }

    EXPECT_EQ(most, parallel);
    ASSERT_EQ(handedOn.size(), std::size_t(hosts));
    for (int i = 0; i < hosts; ++i)
        EXPECT_EQ(handedOn[std::size_t(i)], host(i));
    EXPECT_TRUE(allOnTheWindowThread);
    EXPECT_EQ(system.sends.size(), std::size_t(hosts));
}

} // namespace
