// The behaviour of Quillpost's window, once, on recording stand-ins: no
// window, no event loop, no network.  The settings file is real, in a folder
// of the test's own.
#include "fakesystem.h"
#include "faketoolkit.h"
#include "frmmain.h"
#include "rows.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using testsupport::PrintTo;

const std::u16string title = u"Windows Quillon";

// The stand-in, with FileExists answered by the test when it says so.
class System : public fakes::System
{
public:
    bool fileExists(const std::u16string &path) override
    {
        asked.push_back(path);
        return fileExistsAnswer ? *fileExistsAnswer : fakes::System::fileExists(path);
    }

    std::optional<bool> fileExistsAnswer;
    std::vector<std::u16string> asked;
};

class QuillpostTest : public testing::Test
{
protected:
    QuillpostTest()
    {
        const std::string folder = (files.path() / "Quillpost").string();
        system.folder = std::u16string(folder.begin(), folder.end());
        std::filesystem::create_directories(files.path() / "Quillpost");
    }

    std::filesystem::path settingsPath() const
    {
        return files.path() / "Quillpost" / "Quillpost.ini";
    }
    std::u16string settingsText() const
    {
        const std::string path = settingsPath().string();
        return std::u16string(path.begin(), path.end());
    }
    void writeSettings(const std::string &content) const
    {
        std::ofstream(settingsPath(), std::ios::binary) << content;
    }

    // Loads the window, as starting the program does.
    void start()
    {
        form = std::make_unique<quillpost::FrmMain>(toolkit, system);
        form->show();
    }

    fakes::View &window() { return *toolkit.findView("frmMain"); }
    fakes::TextBox &txtTo() { return window().control<fakes::TextBox>("txtTo"); }
    fakes::TextBox &txtMessage() { return window().control<fakes::TextBox>("txtMessage"); }
    fakes::Button &cmdSend() { return window().control<fakes::Button>("cmdSend"); }

    // Types both texts as the user would.
    void typeBoth(const std::u16string &recipient, const std::u16string &message)
    {
        txtTo().type(recipient);
        txtMessage().type(message);
    }

    TempFolder files;
    fakes::Toolkit toolkit;
    System system;
    std::unique_ptr<quillpost::FrmMain> form;
};

// ---- loading -----------------------------------------------------------------------

TEST_F(QuillpostTest, StartsWithoutSettingsFile)
{
    start();
    EXPECT_EQ(txtTo().value, u"");
    EXPECT_FALSE(cmdSend().enabled);
    EXPECT_TRUE(txtTo().hasFocus());
    EXPECT_EQ(window().title, title);
    EXPECT_TRUE(window().shown);
    EXPECT_TRUE(toolkit.boxes.empty());
    EXPECT_EQ(system.asked, std::vector<std::u16string> {settingsText()});
}

struct Preset
{
    const char *name;
    std::string bytes;
    std::u16string recipient;
};

class PresetRecipient : public QuillpostTest, public testing::WithParamInterface<Preset>
{
};

TEST_P(PresetRecipient, FromTheFirstFieldOfTheSettingsFile)
{
    writeSettings(GetParam().bytes);
    start();
    EXPECT_EQ(txtTo().value, GetParam().recipient);
    EXPECT_FALSE(cmdSend().enabled);
    EXPECT_TRUE(txtTo().hasFocus());
    EXPECT_TRUE(toolkit.boxes.empty());
    EXPECT_TRUE(system.sends.empty());
}

INSTANTIATE_TEST_SUITE_P(Files, PresetRecipient,
    testing::Values(Preset {"TwoFields", "PC12,PC13\r\n", u"PC12"},
        Preset {"QuotedWithComma", "\"PC 12, upstairs\"\r\n", u"PC 12, upstairs"},
        Preset {"SingleLine", "OFFICE-PC", u"OFFICE-PC"},
        Preset {"BlankLinesFirst", "\r\n  \r\n  OFFICE-PC\r\n", u"OFFICE-PC"},
        Preset {"EmptyFile", "", u""}, Preset {"EmptyFirstField", ",PC13\r\n", u""}),
    testsupport::RowName());

TEST_F(QuillpostTest, TheFileIsReadOnlyWhenFileExistsSaysSo)
{
    writeSettings("PC12\r\n");
    system.fileExistsAnswer = false;
    start();
    EXPECT_EQ(txtTo().value, u"");
    EXPECT_EQ(system.asked, std::vector<std::u16string> {settingsText()});
}

TEST_F(QuillpostTest, AnUnreadableSettingsFileIsPassedOverQuietly)
{
    // A folder of that name passes the check but cannot be read.
    std::filesystem::create_directory(settingsPath());
    system.fileExistsAnswer = true;
    start();
    EXPECT_EQ(txtTo().value, u"");
    EXPECT_TRUE(toolkit.boxes.empty());
}

TEST_F(QuillpostTest, TheSettingsFileIsNeverWritten)
{
    writeSettings("PC12,PC13\r\n");
    start();
    txtMessage().type(u"hello");
    cmdSend().click();
    EXPECT_EQ(toolkit.boxes.size(), 1u);
    window().close();
    form.reset();
    std::ifstream in(settingsPath(), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "PC12,PC13\r\n");
}

// ---- Send is enabled while both texts hold something ------------------------------------

TEST_F(QuillpostTest, SendIsEnabledWhileBothTextsHoldSomething)
{
    start();
    txtTo().type(u"P");
    EXPECT_FALSE(cmdSend().enabled);
    txtMessage().type(u"h");
    EXPECT_TRUE(cmdSend().enabled);
    txtTo().type(u"\b");
    EXPECT_FALSE(cmdSend().enabled);
    txtTo().type(u"Q");
    EXPECT_TRUE(cmdSend().enabled);
    txtMessage().type(u"\b");
    EXPECT_FALSE(cmdSend().enabled);
}

TEST_F(QuillpostTest, SpacesCountAsText)
{
    start();
    txtTo().type(u" ");
    EXPECT_FALSE(cmdSend().enabled);
    txtMessage().type(u" ");
    EXPECT_TRUE(cmdSend().enabled);
}

TEST_F(QuillpostTest, TheProgramsOwnChangesCountToo)
{
    start();
    txtMessage().setText(u"hello");
    EXPECT_FALSE(cmdSend().enabled);
    txtTo().setText(u"PC12");
    EXPECT_TRUE(cmdSend().enabled);
    txtMessage().setText(u"");
    EXPECT_FALSE(cmdSend().enabled);
}

// ---- Enter ---------------------------------------------------------------------------

TEST_F(QuillpostTest, EnterInTheRecipientWithoutAMessageDoesNothing)
{
    start();
    txtTo().type(u"PC12\r");
    EXPECT_TRUE(toolkit.boxes.empty());
    EXPECT_TRUE(system.sends.empty());
    EXPECT_EQ(window().title, title);
    EXPECT_EQ(txtTo().value, u"PC12");
    EXPECT_TRUE(txtTo().hasFocus());
}

TEST_F(QuillpostTest, EnterInTheRecipientSends)
{
    start();
    typeBoth(u"PC12", u"hello");
    txtTo().type(u"\r");
    ASSERT_EQ(system.sends.size(), 1u);
    EXPECT_EQ(system.sends[0].toUser, u"PC12");
    EXPECT_EQ(toolkit.boxes.size(), 1u);
    txtMessage().type(u"again");
    txtTo().type(u"\r");
    ASSERT_EQ(system.sends.size(), 2u);
    EXPECT_EQ(system.sends[1].message, u"again");
}

TEST_F(QuillpostTest, EnterInTheMessageStartsANewLine)
{
    start();
    typeBoth(u"PC12", u"one\rtwo");
    EXPECT_EQ(txtMessage().value, std::u16string(u"one") + forms::lineBreak + u"two");
    EXPECT_TRUE(toolkit.boxes.empty());
    EXPECT_TRUE(system.sends.empty());
}

// ---- sending ----------------------------------------------------------------------------

TEST_F(QuillpostTest, SuccessfulSend)
{
    start();
    typeBoth(u"PC12", u"Lunch at noon?");
    std::u16string messageWhileBoxOpen;
    toolkit.onBox = [&](const fakes::ShownBox &) { messageWhileBoxOpen = txtMessage().value; };
    cmdSend().click();

    ASSERT_EQ(toolkit.boxes.size(), 1u);
    EXPECT_EQ(toolkit.boxes[0].text, u"Message sent!");
    EXPECT_EQ(toolkit.boxes[0].title, u"Success");
    EXPECT_EQ(toolkit.boxes[0].icon, forms::BoxIcon::Information);
    // The caption is back before the box; the message is cleared after it.
    EXPECT_EQ(toolkit.boxes[0].owner, title);
    EXPECT_EQ(messageWhileBoxOpen, u"Lunch at noon?");

    ASSERT_EQ(system.sends.size(), 1u);
    EXPECT_EQ(system.sends[0].toUser, u"PC12");
    EXPECT_EQ(system.sends[0].message, u"Lunch at noon?");

    EXPECT_EQ(txtMessage().value, u"");
    EXPECT_FALSE(cmdSend().enabled);
    EXPECT_EQ(txtTo().value, u"PC12");
    EXPECT_TRUE(txtMessage().hasFocus());
    EXPECT_EQ(window().title, title);
}

TEST_F(QuillpostTest, FailedSend)
{
    system.refused = {u"NOBODY"};
    start();
    typeBoth(u"NOBODY", u"Are you there?");
    cmdSend().click();

    ASSERT_EQ(toolkit.boxes.size(), 1u);
    EXPECT_EQ(toolkit.boxes[0].text, u"Failed to send the message!");
    EXPECT_EQ(toolkit.boxes[0].title, u"Error");
    EXPECT_EQ(toolkit.boxes[0].icon, forms::BoxIcon::Critical);
    EXPECT_EQ(toolkit.boxes[0].owner, u"Error");
    EXPECT_EQ(system.sends.size(), 1u);
    EXPECT_EQ(txtMessage().value, u"Are you there?");
    EXPECT_EQ(txtTo().value, u"NOBODY");
    EXPECT_TRUE(cmdSend().enabled);
    EXPECT_TRUE(txtMessage().hasFocus());
    EXPECT_EQ(window().title, u"Error");
}

TEST_F(QuillpostTest, TheCaptionSaysSendingAndReachesTheScreenFirst)
{
    start();
    typeBoth(u"PC12", u"hello");
    std::vector<std::u16string> captions;
    system.duringSend = [&](const fakes::Send &) { captions.push_back(window().title); };
    cmdSend().click();
    EXPECT_EQ(captions, std::vector<std::u16string> {u"Sending..."});
    EXPECT_EQ(window().repainted, std::vector<std::u16string> {u"Sending..."});
    EXPECT_EQ(window().title, title);
}

TEST_F(QuillpostTest, TheErrorCaptionStaysUntilTheNextSend)
{
    system.refused = {u"PC12"};
    start();
    typeBoth(u"PC12", u"hello");
    cmdSend().click();
    EXPECT_EQ(window().title, u"Error");
    // Typing does not end it; the next send does.
    txtMessage().type(u"!");
    EXPECT_EQ(window().title, u"Error");
    std::u16string captionAtSend;
    system.duringSend = [&](const fakes::Send &) { captionAtSend = window().title; };
    system.refused.clear();
    cmdSend().click();
    EXPECT_EQ(captionAtSend, u"Sending...");
    EXPECT_EQ(window().title, title);
    EXPECT_EQ(toolkit.boxes.size(), 2u);
    EXPECT_EQ(system.sends[1].message, u"hello!");
}

struct Typed
{
    const char *name;
    std::u16string recipient;
    std::u16string message;
};

class TextsTravelAsTyped : public QuillpostTest, public testing::WithParamInterface<Typed>
{
};

TEST_P(TextsTravelAsTyped, Unchanged)
{
    start();
    typeBoth(GetParam().recipient, GetParam().message);
    cmdSend().click();
    ASSERT_EQ(system.sends.size(), 1u);
    EXPECT_EQ(system.sends[0].toUser, GetParam().recipient);
    // Enter typed into the box is its line break.
    std::u16string expected;
    for (const char16_t c : GetParam().message) {
        if (c == u'\r')
            expected += forms::lineBreak;
        else
            expected += c;
    }
    EXPECT_EQ(system.sends[0].message, expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, TextsTravelAsTyped,
    testing::Values(Typed {"Spaces", u"   ", u"  "},
        Typed {"Lines", u"PC12", u"line one\r\rline three \rfour"},
        Typed {"NoBreakSpaceAndLetters", u"J\u00d6RG", u"50\u00a0%, \u00c4rger \u20ac"}),
    testsupport::RowName());

TEST_F(QuillpostTest, NeitherBoxHasALimitOfItsOwn)
{
    writeSettings(std::string(40000, 'x'));
    start();
    txtTo().type(u"y");
    EXPECT_EQ(txtTo().value, std::u16string(40000, u'x') + u"y");
}

} // namespace
