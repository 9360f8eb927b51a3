// The file picker behind "...": one at a time, not modal, and its answer in
// the program field.
#include "crierfixture.h"
#include "frmfile.h"

namespace {

class FilePickerTest : public CrierTest
{
protected:
    void SetUp() override
    {
        start();
        txtFile().setText(u"unchanged");
    }

    fakes::View *picker() { return toolkit.findView("frmFile"); }
    fakes::DriveList &drvFile() { return picker()->control<fakes::DriveList>("drvFile"); }
    fakes::FolderList &dirFile() { return picker()->control<fakes::FolderList>("dirFile"); }
    fakes::FileList &filFile() { return picker()->control<fakes::FileList>("filFile"); }
    fakes::Button &cmdOK() { return picker()->control<fakes::Button>("cmdOK"); }

    // A real folder of the test's own: the lists look at the disk.
    std::u16string folder(const std::string &name) const
    {
        const auto path = files.path() / name;
        std::filesystem::create_directories(path);
        const std::string text = path.string();
        return std::u16string(text.begin(), text.end());
    }

    // Opens the picker in a folder, as its lists start at the current one.
    void open(const std::u16string &folder)
    {
        cmdBrowse().click();
        ASSERT_NE(picker(), nullptr);
        dirFile().open = folder;
        filFile().folder = folder;
    }
};

TEST_F(FilePickerTest, OneAtATime)
{
    cmdBrowse().click();
    ASSERT_NE(picker(), nullptr);
    EXPECT_TRUE(picker()->shown);
    EXPECT_EQ(picker()->title, u"Select a file...");
    cmdBrowse().click();
    EXPECT_EQ(toolkit.views.size(), 2u);
    EXPECT_EQ(picker()->broughtToFront, 1);
}

TEST_F(FilePickerTest, ConfirmWithFile)
{
    open(u"/opt/tools");
    filFile().selected = u"halt.sh";
    cmdOK().click();
    EXPECT_EQ(txtFile().value, u"/opt/tools/halt.sh");
    EXPECT_EQ(picker(), nullptr);
}

TEST_F(FilePickerTest, ConfirmAtRoot)
{
    open(u"/");
    filFile().selected = u"run.sh";
    cmdOK().click();
    EXPECT_EQ(txtFile().value, u"/run.sh");
}

TEST_F(FilePickerTest, ConfirmWithoutFileGivesFolder)
{
    open(u"/opt/tools");
    cmdOK().click();
    EXPECT_EQ(txtFile().value, u"/opt/tools/");
    EXPECT_EQ(picker(), nullptr);
}

TEST_F(FilePickerTest, DoubleClickConfirms)
{
    open(u"/opt/tools");
    filFile().doubleClick(u"halt.sh");
    EXPECT_EQ(txtFile().value, u"/opt/tools/halt.sh");
    EXPECT_EQ(picker(), nullptr);
}

TEST_F(FilePickerTest, OpeningFolderMovesFileList)
{
    open(folder("opt"));
    dirFile().openFolder(folder("opt/tools"));
    EXPECT_EQ(filFile().folder, folder("opt/tools"));
}

TEST_F(FilePickerTest, ChangingDrive)
{
    open(folder("opt/tools"));
    drvFile().pick(folder("usb"));
    EXPECT_EQ(dirFile().open, folder("usb"));
    EXPECT_EQ(filFile().folder, folder("usb"));
    EXPECT_TRUE(toolkit.boxes.empty());
}

TEST_F(FilePickerTest, FailingDriveKeepsListsAndSays)
{
    open(u"/opt/tools");
    dirFile().failing[u"/media/gone"] = u"No such file or directory";
    drvFile().pick(u"/media/gone");
    ASSERT_EQ(toolkit.boxes.size(), 1u);
    EXPECT_EQ(toolkit.boxes[0].title, u"Error");
    EXPECT_EQ(toolkit.boxes[0].text, u"No such file or directory!");
    EXPECT_EQ(toolkit.boxes[0].icon, forms::BoxIcon::Exclamation);
    EXPECT_EQ(dirFile().open, u"/opt/tools");
    EXPECT_EQ(filFile().folder, u"/opt/tools");
    EXPECT_EQ(drvFile().shown, u"/media/gone");
    EXPECT_NE(picker(), nullptr);
}

TEST_F(FilePickerTest, CloseButtonLeavesFieldAlone)
{
    open(u"/opt/tools");
    filFile().selected = u"halt.sh";
    picker()->close();
    EXPECT_EQ(picker(), nullptr);
    EXPECT_EQ(txtFile().value, u"unchanged");
}

TEST_F(FilePickerTest, ReopenedPickerIsNew)
{
    open(folder("opt/tools"));
    dirFile().openFolder(folder("opt/tools/sub"));
    picker()->close();
    cmdBrowse().click();
    ASSERT_NE(picker(), nullptr);
    const std::string current = std::filesystem::current_path().string();
    EXPECT_EQ(dirFile().open, std::u16string(current.begin(), current.end()));
    EXPECT_EQ(picker()->broughtToFront, 0);
}

TEST_F(FilePickerTest, MainWindowWorksWhilePickerIsOpen)
{
    open(u"/opt/tools");
    fillBook({u"PC1"});
    txtMessage().setText(u"Hi");
    pressSend();
    EXPECT_EQ(system.sends.size(), 1u);
    EXPECT_NE(picker(), nullptr);
}

TEST_F(FilePickerTest, ClosingMainWindowClosesPicker)
{
    open(u"/opt/tools");
    window().close();
    EXPECT_EQ(picker(), nullptr);
}

} // namespace
