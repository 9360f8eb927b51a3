// Loading and saving the address book, the options and the message.
#include "crierfixture.h"

namespace {

using Items = std::vector<std::u16string>;

TEST_F(CrierTest, FirstStartWithoutFiles)
{
    start();
    EXPECT_TRUE(lstNetwork().items.empty());
    EXPECT_EQ(chkCount().value, forms::CheckBox::Unchecked);
    EXPECT_EQ(txtFile().value, u"");
    EXPECT_EQ(txtMessage().value, u"");
    EXPECT_EQ(txtCount().value, u"60");
    EXPECT_EQ(txtAddress().value, u"");
    EXPECT_EQ(lstStatus().items, Items {u"Ready"});
    EXPECT_TRUE(lstTemp().items.empty());
    EXPECT_FALSE(tmrCount().enabled);
    EXPECT_EQ(tmrCount().period, 1000);
    EXPECT_EQ(lstNetwork().current, -1);
    EXPECT_TRUE(lstNetwork().selected.empty());
    EXPECT_TRUE(toolkit.boxes.empty());
    // Starting writes nothing.
    EXPECT_FALSE(std::filesystem::exists(settingsPath().parent_path()));
}

TEST_F(CrierTest, LoadsBookOptionsAndMessage)
{
    writeSettings("[List]\r\n0=PC1\r\n1=NODE1\r\n2=10.0.0.1-10.0.0.5\r\n3=N\r\n4=AFTER\r\n"
                  "[Options]\r\nCount=1\r\nFile=/usr/bin/true --flag\r\n");
    writeMessage("Line one\nLine two");
    start();
    EXPECT_EQ(lstNetwork().items, (Items {u"PC1", u"NODE1", u"10.0.0.1-10.0.0.5"}));
    EXPECT_EQ(chkCount().value, forms::CheckBox::Checked);
    EXPECT_EQ(txtFile().value, u"/usr/bin/true --flag");
    EXPECT_EQ(txtMessage().value, u"Line one\nLine two");
    EXPECT_EQ(lstStatus().items, Items {u"Ready"});
}

TEST_F(CrierTest, SlotZeroAbsentGivesEmptyBook)
{
    writeSettings("[List]\n1=PC1\n2=PC2\n");
    start();
    EXPECT_TRUE(lstNetwork().items.empty());
}

TEST_F(CrierTest, HandEditedEmptySlotLoadsAndIsDroppedOnSave)
{
    writeSettings("[List]\n0=PC1\n1=\n2=PC3\n");
    start();
    EXPECT_EQ(lstNetwork().items, (Items {u"PC1", u"", u"PC3"}));
    cmdSave().click();
    form.reset();
    start();
    EXPECT_EQ(lstNetwork().items, (Items {u"PC1", u"PC3"}));
    EXPECT_NE(settingsText().find("2=N"), std::string::npos);
}

TEST_F(CrierTest, BookLimitedToHundredSlots)
{
    std::string file = "[List]\n";
    for (int slot = 0; slot < 105; ++slot)
        file += std::to_string(slot) + "=PC" + std::to_string(slot) + "\n";
    writeSettings(file);
    start();
    ASSERT_EQ(lstNetwork().count(), 100);
    EXPECT_EQ(lstNetwork().items.back(), u"PC99");
}

struct CountCase
{
    const char *stored;
    forms::CheckBox::State expected;
};

void PrintTo(const CountCase &c, std::ostream *out)
{
    *out << '"' << c.stored << '"';
}

class CountStateTest : public CrierTest, public testing::WithParamInterface<CountCase>
{
};

TEST_P(CountStateTest, SetsCheckBox)
{
    writeSettings(std::string("[Options]\nCount=") + GetParam().stored + "\n");
    start();
    EXPECT_EQ(chkCount().value, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Stored, CountStateTest,
    testing::Values(CountCase {"0", forms::CheckBox::Unchecked},
        CountCase {"1", forms::CheckBox::Checked}, CountCase {"2", forms::CheckBox::Grayed},
        CountCase {" 1 ", forms::CheckBox::Checked}, CountCase {"3", forms::CheckBox::Unchecked},
        CountCase {"-1", forms::CheckBox::Unchecked}, CountCase {"", forms::CheckBox::Unchecked},
        CountCase {"yes", forms::CheckBox::Unchecked},
        CountCase {"1.5", forms::CheckBox::Unchecked}));

TEST_F(CrierTest, LongProgramPathSurvivesStartAndSave)
{
    // A cut at 49 characters would store the cut path on the next save.
    const std::string path = "/opt/some/rather/long/folder/name/for/a/tool/run.sh --now";
    ASSERT_GT(path.size(), 50u);
    writeSettings("[Options]\nFile=" + path + "\n");
    start();
    EXPECT_EQ(txtFile().value, std::u16string(path.begin(), path.end()));
    cmdSave().click();
    EXPECT_NE(settingsText().find("File=" + path + "\n"), std::string::npos);
}

TEST_F(CrierTest, SaveWritesEverythingAndNextStartLoadsIt)
{
    start();
    fillBook({u"PC1", u"NODE1", u"10.0.0.1-10.0.0.3"});
    chkCount().click();
    txtFile().setText(u"/usr/bin/xmessage hi");
    txtMessage().setText(u"Lunch is ready.\nCome down.");
    cmdSave().click();
    EXPECT_TRUE(toolkit.boxes.empty());

    form.reset();
    start();
    EXPECT_EQ(lstNetwork().items, (Items {u"PC1", u"NODE1", u"10.0.0.1-10.0.0.3"}));
    EXPECT_EQ(chkCount().value, forms::CheckBox::Checked);
    EXPECT_EQ(txtFile().value, u"/usr/bin/xmessage hi");
    EXPECT_EQ(txtMessage().value, u"Lunch is ready.\nCome down.");
    EXPECT_EQ(readFile(messagePath()), "Lunch is ready.\nCome down.");
}

TEST_F(CrierTest, ShrunkBookLeavesFreeSlots)
{
    start();
    fillBook({u"A", u"B", u"C", u"D", u"E"});
    cmdSave().click();
    lstNetwork().click(3);
    cmdRemove().click();
    lstNetwork().click(3);
    cmdRemove().click();
    EXPECT_EQ(lstNetwork().items, (Items {u"A", u"B", u"C"}));
    cmdSave().click();

    const std::string file = settingsText();
    for (const char *line : {"0=A\n", "1=B\n", "2=C\n", "3=N\n", "4=N\n"})
        EXPECT_NE(file.find(line), std::string::npos) << line;
    EXPECT_EQ(file.find("5="), std::string::npos);
    form.reset();
    start();
    EXPECT_EQ(lstNetwork().items, (Items {u"A", u"B", u"C"}));
}

TEST_F(CrierTest, EmptyBookSavedOverStoredOne)
{
    writeSettings("[List]\n0=A\n1=B\n2=C\n3=D\n4=E\n");
    start();
    for (int i = 0; i < 5; ++i) {
        lstNetwork().click(0);
        cmdRemove().click();
    }
    cmdSave().click();
    const std::string file = settingsText();
    for (const char *line : {"0=N\n", "1=N\n", "2=N\n", "3=N\n", "4=N\n"})
        EXPECT_NE(file.find(line), std::string::npos) << line;
    form.reset();
    start();
    EXPECT_TRUE(lstNetwork().items.empty());
}

TEST_F(CrierTest, NameStartingWithNIsAName)
{
    start();
    fillBook({u"NODE1", u"N2"});
    cmdSave().click();
    form.reset();
    start();
    EXPECT_EQ(lstNetwork().items, (Items {u"NODE1", u"N2"}));
}

TEST_F(CrierTest, OtherSectionsAndCommentsSurviveSave)
{
    const std::string before = "; kept by hand\n[Extra]\nKey=Value\n\n[List]\n0=PC1\n";
    writeSettings(before);
    start();
    cmdSave().click();
    const std::string after = settingsText();
    EXPECT_EQ(after.substr(0, before.size()), before.substr(0, before.size()));
    EXPECT_NE(after.find("[Options]\n"), std::string::npos);
    EXPECT_NE(after.find("Count=0\n"), std::string::npos);
}

TEST_F(CrierTest, SaveCreatesTheFolder)
{
    start();
    fillBook({u"PC1"});
    cmdSave().click();
    EXPECT_TRUE(toolkit.boxes.empty());
    EXPECT_TRUE(std::filesystem::is_regular_file(settingsPath()));
    EXPECT_TRUE(std::filesystem::is_regular_file(messagePath()));
}

} // namespace
