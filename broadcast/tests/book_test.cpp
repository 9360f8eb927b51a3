// Editing the address book: "+", Enter, "-" and picking an entry.
#include "crierfixture.h"

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

} // namespace
