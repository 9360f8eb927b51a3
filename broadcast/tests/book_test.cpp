// Editing the address book: "+", Enter, "-" and picking an entry.
#include "crierfixture.h"
#include "rows.h"

namespace {

using Items = std::vector<std::u16string>;

TEST_F(CrierTest, AddWithEmptyFieldChangesNothing)
{
    start();
    fillBook({u"A"});
    cmdAdd().click();
    txtAddress().type(u"\r");
    EXPECT_EQ(lstNetwork().items, Items {u"A"});
}

TEST_F(CrierTest, FirstAddGoesToTheTop)
{
    start();
    txtAddress().type(u"PC1");
    cmdAdd().click();
    txtAddress().type(u"PC2");
    cmdAdd().click();
    EXPECT_EQ(lstNetwork().items, (Items {u"PC2", u"PC1"}));
    EXPECT_EQ(txtAddress().value, u"");
}

TEST_F(CrierTest, AddGoesBeforeTheCurrentEntry)
{
    start();
    fillBook({u"A", u"B", u"C", u"D"});
    lstNetwork().click(2);
    EXPECT_EQ(txtAddress().value, u"C");
    txtAddress().setText(u"NEW");
    cmdAdd().click();
    EXPECT_EQ(lstNetwork().items, (Items {u"A", u"B", u"NEW", u"C", u"D"}));
    EXPECT_EQ(txtAddress().value, u"");
}

TEST_F(CrierTest, PickedEntryAddedAgainStandsBeforeItself)
{
    start();
    fillBook({u"A", u"B"});
    lstNetwork().click(1);
    cmdAdd().click();
    EXPECT_EQ(lstNetwork().items, (Items {u"A", u"B", u"B"}));
}

TEST_F(CrierTest, EnterInFieldAdds)
{
    start();
    txtAddress().type(u"PC7\r");
    EXPECT_EQ(lstNetwork().items, Items {u"PC7"});
    EXPECT_EQ(txtAddress().value, u"");
}

TEST_F(CrierTest, FieldTakesFortyCharacters)
{
    start();
    txtAddress().type(std::u16string(45, u'x'));
    EXPECT_EQ(txtAddress().value, std::u16string(40, u'x'));
}

TEST_F(CrierTest, HundredEntriesAtMost)
{
    start();
    for (int i = 0; i < 100; ++i)
        fillBook({u"H" + std::u16string(1, char16_t(u'0' + i % 10))});
    ASSERT_EQ(lstNetwork().count(), 100);
    txtAddress().setText(u"ONE-MORE");
    cmdAdd().click();
    txtAddress().type(u"\r");
    EXPECT_EQ(lstNetwork().count(), 100);
    EXPECT_EQ(txtAddress().value, u"ONE-MORE");

    lstNetwork().click(0);
    cmdRemove().click();
    txtAddress().setText(u"ONE-MORE");
    txtAddress().type(u"\r");
    EXPECT_EQ(lstNetwork().count(), 100);
    EXPECT_EQ(txtAddress().value, u"");
}

TEST_F(CrierTest, RemoveTakesLowestSelectedOnly)
{
    start();
    fillBook({u"E0", u"E1", u"E2", u"E3", u"E4"});
    lstNetwork().click(1);
    lstNetwork().ctrlClick(3);
    lstNetwork().ctrlClick(4);
    cmdRemove().click();
    EXPECT_EQ(lstNetwork().items, (Items {u"E0", u"E2", u"E3", u"E4"}));
}

TEST_F(CrierTest, RemoveWithoutSelectionDoesNothing)
{
    start();
    fillBook({u"E0", u"E1"});
    lstNetwork().click(1);
    lstNetwork().ctrlClick(1); // current, but no longer selected
    ASSERT_EQ(lstNetwork().current, 1);
    cmdRemove().click();
    EXPECT_EQ(lstNetwork().items, (Items {u"E0", u"E1"}));
}

TEST_F(CrierTest, EditingTouchesNoFileAndNoStatus)
{
    start();
    fillBook({u"A", u"B"});
    lstNetwork().click(0);
    cmdRemove().click();
    EXPECT_FALSE(std::filesystem::exists(settingsPath()));
    EXPECT_EQ(lstStatus().items, Items {u"Ready"});
    EXPECT_TRUE(toolkit.boxes.empty());
}

// Entries the settings file cannot give back as typed are turned away at
// once, with the text left in the field to mend.
struct Refusal
{
    const char *name;
    std::u16string entry;
    std::u16string why; // the box's text; empty: the entry goes in
};

using testsupport::PrintTo;

class EntryFormTest : public CrierTest, public testing::WithParamInterface<Refusal>
{
};

TEST_P(EntryFormTest, IsAddedOrRefusedWithItsReason)
{
    start();
    fillBook({u"PC1"});
    txtAddress().setText(GetParam().entry);
    cmdAdd().click();

    if (GetParam().why.empty()) {
        EXPECT_EQ(lstNetwork().items, (Items {GetParam().entry, u"PC1"}));
        EXPECT_TRUE(toolkit.boxes.empty());
        return;
    }
    EXPECT_EQ(lstNetwork().items, Items {u"PC1"});
    EXPECT_EQ(txtAddress().value, GetParam().entry);
    ASSERT_EQ(toolkit.boxes.size(), 1u);
    EXPECT_EQ(toolkit.boxes[0].text, GetParam().why);
    EXPECT_EQ(toolkit.boxes[0].title, u"Error");
    EXPECT_EQ(toolkit.boxes[0].icon, forms::BoxIcon::Exclamation);
}

const std::u16string freeSlot
    = u"\"N\" cannot be an entry: the settings file marks a free slot with it.";
const std::u16string blanks
    = u"An entry cannot begin or end with a blank: the settings file would drop it.";
const std::u16string quotes
    = u"An entry cannot be enclosed in quotes: the settings file would drop them.";

INSTANTIATE_TEST_SUITE_P(Entries, EntryFormTest,
    testing::Values(Refusal {"FreeSlotMark", u"N", freeSlot},
        Refusal {"LeadingBlank", u" PC2", blanks}, Refusal {"TrailingBlank", u"PC2 ", blanks},
        Refusal {"LeadingTab", u"\tPC2", blanks}, Refusal {"OnlyBlanks", u"   ", blanks},
        Refusal {"DoubleQuotes", u"\"PC2\"", quotes}, Refusal {"SingleQuotes", u"'PC2'", quotes},
        Refusal {"TwoQuotes", u"\"\"", quotes}, Refusal {"NameStartingWithN", u"NODE2", u""},
        Refusal {"LowerCaseN", u"n", u""}, Refusal {"InnerBlank", u"PC 2", u""},
        Refusal {"OneQuote", u"\"PC2", u""}, Refusal {"MixedQuotes", u"\"PC2'", u""},
        Refusal {"OneQuoteCharacter", u"\"", u""}),
    testsupport::RowName());

TEST_F(CrierTest, EnterRefusesAsThePlusButtonDoes)
{
    start();
    txtAddress().type(u"N\r");
    EXPECT_TRUE(lstNetwork().items.empty());
    EXPECT_EQ(toolkit.boxes.size(), 1u);
}

} // namespace
