#include "rangeexpansion.h"
#include "rows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct ExpansionCase
{
    const char *name;
    std::u16string entry;
    std::vector<std::u16string> hosts;
    int failures;
};

using testsupport::PrintTo;

using ExpansionTest = testing::TestWithParam<ExpansionCase>;

TEST_P(ExpansionTest, Hosts)
{
    const crier::Expansion expansion = crier::expandEntry(GetParam().entry);
    EXPECT_EQ(expansion.hosts, GetParam().hosts);
    EXPECT_EQ(expansion.failures, GetParam().failures);
}

INSTANTIATE_TEST_SUITE_P(Entries, ExpansionTest,
    testing::Values(ExpansionCase {"Name", u"PC1", {u"PC1"}, 0},
        ExpansionCase {"NameKeptAsTyped", u" Pc 1 ", {u" Pc 1 "}, 0},
        ExpansionCase {"EmptyEntryIsAnEmptyHost", u"", {u""}, 0},
        ExpansionCase {"DottedAddress", u"10.1.1.1", {u"10.1.1.1"}, 0},
        ExpansionCase {"Range", u"192.168.1.20-192.168.1.25",
            {u"192.168.1.20", u"192.168.1.21", u"192.168.1.22", u"192.168.1.23", u"192.168.1.24",
                u"192.168.1.25"},
            0},
        ExpansionCase {"OneHostRange", u"10.0.0.7-10.0.0.7", {u"10.0.0.7"}, 0},
        ExpansionCase {
            "PrefixOfLaterPiece", u"10.0.1.5-10.0.2.7", {u"10.0.2.5", u"10.0.2.6", u"10.0.2.7"}, 0},
        ExpansionCase {"LeadingZerosVanish", u"10.0.0.08-10.0.0.10",
            {u"10.0.0.8", u"10.0.0.9", u"10.0.0.10"}, 0},
        ExpansionCase {"ThreePieces", u"10.0.0.1-10.0.0.2-10.0.0.3",
            {u"10.0.0.1", u"10.0.0.2", u"10.0.0.1", u"10.0.0.2", u"10.0.0.3"}, 0},
        ExpansionCase {
            "BlanksAroundNumbers", u"10.0.0. 1 -10.0.0.2 ", {u"10.0.0.1", u"10.0.0.2"}, 0},
        ExpansionCase {"FirstGreaterThanLast", u"10.1.1.9-10.1.1.3", {}, 0},
        ExpansionCase {"LettersInNumber", u"10.1.1.1-10.1.1.x", {}, 1},
        ExpansionCase {"EmptyNumber", u"10.1.1.-10.1.1.3", {}, 1},
        ExpansionCase {"BlankInsideNumber", u"10.1.1.1-10.1.1.1 0", {}, 1},
        ExpansionCase {"TwoBadPieces", u"10.1.1.a-10.1.1.b", {}, 2},
        ExpansionCase {"AboveCeiling", u"10.1.1.1-10.1.1.40000", {}, 1},
        ExpansionCase {"HugeNumberDoesNotOverflow", u"10.1.1.1-10.1.1.99999999999999999999", {}, 1},
        ExpansionCase {
            "AtCeiling", u"10.1.1.32766-10.1.1.32767", {u"10.1.1.32766", u"10.1.1.32767"}, 0},
        ExpansionCase {"FromZero", u"10.1.1.0-10.1.1.1", {u"10.1.1.0", u"10.1.1.1"}, 0},
        ExpansionCase {"PieceWithoutDot", u"10.0.0.5-9", {}, 1},
        ExpansionCase {"HyphenatedName", u"print-server", {}, 2},
        ExpansionCase {"BadMiddlePieceLeavesLaterSteps", u"10.0.0.1-10.0.0.x-10.0.0.2",
            {u"10.0.0.1", u"10.0.0.2"}, 1},
        ExpansionCase {"TrailingDash", u"10.0.0.1-", {}, 1}));

TEST(Expansion, WholeRangeAtCeilingIsLinear)
{
    const crier::Expansion expansion = crier::expandEntry(u"10.0.0.0-10.0.0.32767");
    ASSERT_EQ(expansion.hosts.size(), 32768u);
    EXPECT_EQ(expansion.hosts.front(), u"10.0.0.0");
    EXPECT_EQ(expansion.hosts.back(), u"10.0.0.32767");
    EXPECT_EQ(expansion.failures, 0);
}

// The hosts of a whole book, written one at a time as they are asked for.
TEST(BookHosts, WholeBookInOrder)
{
    std::vector<crier::EntryPlan> plans;
    for (const char16_t *entry : {u"A", u"10.0.0.1-10.0.0.2", u"10.1.1.9-10.1.1.3", u"", u"B"})
        plans.push_back(crier::planEntry(entry));
    crier::BookHosts hosts(std::move(plans));
    std::vector<std::u16string> seen;
    while (auto host = hosts.next())
        seen.push_back(*host);
    EXPECT_EQ(seen, (std::vector<std::u16string> {u"A", u"10.0.0.1", u"10.0.0.2", u"", u"B"}));
    EXPECT_FALSE(hosts.next());
    EXPECT_FALSE(crier::BookHosts().next());
}

} // namespace
