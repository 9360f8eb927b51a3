// Crier's files under faults, on the real platform layer: a save that cannot
// be written whole is reported and leaves both files that were there byte for
// byte as they were; one that can be keeps every byte it did not change; a
// file that is no ordinary file does not stop the start.  And messages no
// receiver could take, through the real send path to a stand-in smbclient.
#include "crierfixture.h"
#include "rows.h"

#include "fakesmbclient.h"
#include "faults.h"

#include <functional>
#include <optional>
#include <set>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using Items = std::vector<std::u16string>;
namespace fs = std::filesystem;

const std::string oldSettings = "[List]\r\n0=OLD1\r\n1=OLD2\r\n[Options]\r\nCount=0\r\nFile=\r\n";
const std::string oldMessage = "The old message.";

// What a path holds, for comparing before and after.
std::string stateOf(const fs::path &path)
{
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    if (!fs::exists(status))
        return "nothing";
    if (fs::is_directory(status))
        return "folder";
    if (fs::is_fifo(status))
        return "fifo";
    std::ifstream in(path, std::ios::binary);
    return "file: " + std::string(std::istreambuf_iterator<char>(in), {});
}

// The names in a folder: a failed save leaves no temporary file behind.
std::set<std::string> namesIn(const fs::path &folder)
{
    std::set<std::string> names;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error))
        names.insert(entry->path().filename().string());
    return names;
}

class SaveFaultTest;

struct SaveFault
{
    const char *name;
    // Prepares the fault in the folder of Crier's files, which exists.
    // Answers why it cannot be prepared here, or an empty string.
    std::function<std::string(SaveFaultTest &)> prepare;
    bool asOrdinaryUser = false;
};

using testsupport::PrintTo;

class SaveFaultTest : public CrierTest, public testing::WithParamInterface<SaveFault>
{
public:
    using CrierTest::messagePath;
    using CrierTest::settingsPath;
    using CrierTest::writeFile;
    using CrierTest::writeMessage;
    using CrierTest::writeSettings;

    fs::path folder() const { return settingsPath().parent_path(); }
    void writePreviousFiles() const
    {
        writeSettings(oldSettings);
        writeMessage(oldMessage);
    }

    std::optional<testsupport::SmallDisk> disk;
    // Longer than the room a nearly full disk leaves.
    const std::u16string newMessage = u"A new message." + std::u16string(6000, u'.');

protected:
    void TearDown() override
    {
        // Open again what a fault locked, so that the folder can go.
        std::error_code ignored;
        for (const fs::path &path : {folder(), folder().parent_path()}) {
            if (fs::is_directory(path, ignored))
                fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ignored);
        }
    }
};

TEST_P(SaveFaultTest, IsReportedAndKeepsThePreviousFiles)
{
    fs::create_directories(folder());
    const std::string cannot = GetParam().prepare(*this);
    if (!cannot.empty())
        GTEST_SKIP() << cannot;
    const std::string settingsBefore = stateOf(settingsPath());
    const std::string messageBefore = stateOf(messagePath());
    const std::set<std::string> namesBefore = namesIn(folder());

    start();
    fillBook({u"NEW1", u"NEW2", u"NEW3"});
    chkCount().click();
    txtFile().setText(u"/usr/bin/xmessage done");
    txtMessage().setText(newMessage);
    const std::string cannotDrop
        = testsupport::runAs(GetParam().asOrdinaryUser, [this] { cmdSave().click(); });
    if (!cannotDrop.empty())
        GTEST_SKIP() << cannotDrop;

    ASSERT_EQ(toolkit.boxes.size(), 1u);
    EXPECT_EQ(toolkit.boxes[0].title, u"Error");
    EXPECT_EQ(toolkit.boxes[0].text, u"The settings could not be saved.");
    EXPECT_EQ(toolkit.boxes[0].icon, forms::BoxIcon::Exclamation);
    // All or nothing: the one that could have been written was not either.
    EXPECT_EQ(stateOf(settingsPath()), settingsBefore);
    EXPECT_EQ(stateOf(messagePath()), messageBefore);
    EXPECT_EQ(namesIn(folder()), namesBefore);
}

void lock(const fs::path &folder)
{
    fs::permissions(folder,
        fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read
            | fs::perms::others_exec);
}

const SaveFault saveFaults[] = {
    {"DiskFull",
        [](SaveFaultTest &test) -> std::string {
            test.disk.emplace(test.folder());
            if (!test.disk->problem().empty())
                return test.disk->problem();
            test.writePreviousFiles();
            return test.disk->fill() ? std::string() : std::string("the disk did not fill");
        }},
    {"FolderNotWritable",
        [](SaveFaultTest &test) -> std::string {
            test.writePreviousFiles();
            lock(test.folder());
            return {};
        },
        true},
    {"FolderMissingAndCannotBeMade",
        [](SaveFaultTest &test) -> std::string {
            fs::remove(test.folder());
            lock(test.folder().parent_path());
            return {};
        },
        true},
    {"FileInTheFoldersPlace",
        [](SaveFaultTest &test) -> std::string {
            fs::remove(test.folder());
            SaveFaultTest::writeFile(test.folder(), "not a folder");
            return {};
        }},
    {"FourKibibytesLeft",
        [](SaveFaultTest &test) -> std::string {
            test.disk.emplace(test.folder());
            if (!test.disk->problem().empty())
                return test.disk->problem();
            test.writePreviousFiles();
            return test.disk->fill(4096) ? std::string() : std::string("the disk did not fill");
        }},
    {"FolderAtTheSettingsPath",
        [](SaveFaultTest &test) -> std::string {
            fs::create_directory(test.settingsPath());
            test.writeMessage(oldMessage);
            return {};
        }},
    {"FifoAtTheSettingsPath",
        [](SaveFaultTest &test) -> std::string {
            ::mkfifo(test.settingsPath().c_str(), 0644);
            test.writeMessage(oldMessage);
            return {};
        }},
    {"FolderAtTheMessagePath",
        [](SaveFaultTest &test) -> std::string {
            test.writeSettings(oldSettings);
            fs::create_directory(test.messagePath());
            return {};
        }},
};

INSTANTIATE_TEST_SUITE_P(
    Faults, SaveFaultTest, testing::ValuesIn(saveFaults), testsupport::RowName());

// ---- what the file cannot hold --------------------------------------------------------

// A value one line of the settings file cannot hold is refused with the
// same box, and nothing is written: not the value cut, not the rest.
struct Unstorable
{
    const char *name;
    std::string settings;
    std::function<void(fakes::TextBox &txtFile)> edit;
};

class UnstorableTest : public CrierTest, public testing::WithParamInterface<Unstorable>
{
};

TEST_P(UnstorableTest, IsRefusedAndChangesNothing)
{
    writeSettings(GetParam().settings);
    writeMessage(oldMessage);
    start();
    const Items book = lstNetwork().items;
    GetParam().edit(txtFile());
    cmdSave().click();

    ASSERT_EQ(toolkit.boxes.size(), 1u);
    EXPECT_EQ(toolkit.boxes[0].text, u"The settings could not be saved.");
    EXPECT_EQ(readFile(settingsPath()), GetParam().settings);
    EXPECT_EQ(readFile(messagePath()), oldMessage);
    form.reset();
    start();
    EXPECT_EQ(lstNetwork().items, book);
}

const std::string bookWithNul
    = std::string("[List]\r\n0=127.0.0.1\r\n1=AB\0CD\r\n2=127.0.0.2\r\n3=N\r\n", 48);

const Unstorable unstorables[] = {
    {"NulInAnEntry", bookWithNul, [](fakes::TextBox &) {}},
    {"NulInTheProgramField", oldSettings,
        [](fakes::TextBox &txtFile) { txtFile.setText(std::u16string(u"run\0x", 5)); }},
    {"LineBreakInTheProgramField", oldSettings,
        [](fakes::TextBox &txtFile) { txtFile.setText(u"run\r\n[List]\r\n0=x"); }},
};

INSTANTIATE_TEST_SUITE_P(
    Values, UnstorableTest, testing::ValuesIn(unstorables), testsupport::RowName());

// ---- bytes the save did not change -----------------------------------------------------

// Files as another program left them: bytes that are no UTF-8 (Latin-1
// here) and the line breaks of the message.  Each case edits the window or
// not, saves, and compares the files byte for byte.
struct Keeping
{
    const char *name;
    std::string settings;
    std::string message;
    std::function<void(fakes::ListBox &, fakes::TextBox &)> edit;
    std::string settingsAfter;
    std::string messageAfter;
};

class KeepingTest : public CrierTest, public testing::WithParamInterface<Keeping>
{
};

TEST_P(KeepingTest, SaveKeepsWhatItDidNotChange)
{
    writeSettings(GetParam().settings);
    writeMessage(GetParam().message);
    start();
    GetParam().edit(lstNetwork(), txtMessage());
    cmdSave().click();

    EXPECT_TRUE(toolkit.boxes.empty());
    EXPECT_EQ(readFile(settingsPath()), GetParam().settingsAfter);
    EXPECT_EQ(readFile(messagePath()), GetParam().messageAfter);
}

const std::string latinBook = "[List]\r\n0=caf\xe9\r\n1=PC2\r\n[Options]\r\nCount=0\r\nFile=\r\n";
const std::string options = "[Options]\r\nCount=0\r\nFile=\r\n";

const Keeping keepings[] = {
    {"LatinOneUntouched", latinBook, "Gr\xfc\xdf\x65", [](auto &, auto &) {}, latinBook,
        "Gr\xfc\xdf\x65"},
    {"LatinOneBesideAnEdit", latinBook, "Gr\xfc\xdf\x65",
        [](fakes::ListBox &book, fakes::TextBox &message) {
            book.insertItem(0, u"NEW");
            message.setText(message.value + u" und Dank");
        },
        "[List]\r\n0=NEW\r\n1=caf\xe9\r\n2=PC2\r\n[Options]\r\nCount=0\r\nFile=\r\n",
        "Gr\xfc\xdf\x65 und Dank"},
    {"CrLfUntouched", options, "One\r\nTwo\r\n", [](auto &, auto &) {}, options, "One\r\nTwo\r\n"},
    // A Qt text box hands every line break back as LF.
    {"CrLfAsTheTextBoxGivesItBack", options, "One\r\nTwo\nThree",
        [](auto &, fakes::TextBox &message) { message.setText(u"One\nTwo\nThree"); }, options,
        "One\r\nTwo\nThree"},
    {"CrLfThroughAnEdit", options, "One\r\nTwo",
        [](auto &, fakes::TextBox &message) { message.setText(u"One\nTwo\nThree"); }, options,
        "One\r\nTwo\r\nThree"},
    // A Windows text box hands them back as CR LF.
    {"LfThroughAnEdit", options, "One\nTwo",
        [](auto &, fakes::TextBox &message) { message.setText(u"One\r\nTwo\r\nThree"); }, options,
        "One\nTwo\nThree"},
};

INSTANTIATE_TEST_SUITE_P(Files, KeepingTest, testing::ValuesIn(keepings), testsupport::RowName());

// ---- files that are not ordinary files ---------------------------------------------

struct OddFile
{
    const char *name;
    std::function<void(const fs::path &)> make;
};

const OddFile oddFiles[] = {
    {"Fifo", [](const fs::path &path) { ::mkfifo(path.c_str(), 0644); }},
    {"LinkToDevZero", [](const fs::path &path) { fs::create_symlink("/dev/zero", path); }},
    {"Folder", [](const fs::path &path) { fs::create_directory(path); }},
};

class OddFileTest : public CrierTest, public testing::WithParamInterface<OddFile>
{
};

// A FIFO would block the start for ever, /dev/zero would fill the memory.
TEST_P(OddFileTest, StartsWithNothingLoaded)
{
    fs::create_directories(settingsPath().parent_path());
    GetParam().make(settingsPath());
    GetParam().make(messagePath());
    start();
    EXPECT_TRUE(lstNetwork().items.empty());
    EXPECT_EQ(txtMessage().value, u"");
    EXPECT_EQ(lstStatus().items, Items {u"Ready"});
}

INSTANTIATE_TEST_SUITE_P(Files, OddFileTest, testing::ValuesIn(oddFiles), testsupport::RowName());

// ---- messages through the real send path ---------------------------------------------

// The platform's own send, so the message goes the way it goes in the
// program: converted to the code page, measured, handed to smbclient.
class RealSendSystem : public fakes::System
{
public:
    SendResult sendMessage(
        const std::u16string &toUser, const std::u16string &message, std::stop_token stop) override
    {
        return forms::System::sendMessage(toUser, message, stop);
    }
    std::optional<SendOutcome> checkMessage(const std::u16string &message) override
    {
        return forms::System::checkMessage(message);
    }
};

struct HostileMessage
{
    const char *name;
    std::u16string text;
    // The box that refuses it, or nullptr when it is sent.
    const char16_t *refusal;
};

std::u16string range(char16_t first, char16_t last)
{
    std::u16string text;
    for (char16_t c = first; c <= last; ++c)
        text += c;
    return text;
}

std::u16string megabyte()
{
    std::u16string text;
    while (text.size() < 1024 * 1024)
        text += u"The quick brown fox jumps over the lazy dog.\r\n";
    return text;
}

const char16_t codePage[] = u"Codeset conversion failure.";
const char16_t tooLong[]
    = u"The message is too long to be delivered in one piece. Shorten it and send again.";

const HostileMessage hostileMessages[] = {
    {"OneMegabyte", megabyte(), tooLong},
    {"OneByteTooMany", std::u16string(1599, u'a'), tooLong},
    // The code page holds them all, one byte each.
    {"EveryC0Control", range(1, 0x1f) + u"\x7f", nullptr},
    // It holds none of these.
    {"EveryC1Control", range(0x80, 0x9f), codePage},
    {"Euro", u"5 \u20ac", codePage},
    {"Nul", std::u16string(u"Hi") + char16_t(0) + u"there", codePage},
};

class HostileMessageTest : public CrierTest, public testing::WithParamInterface<HostileMessage>
{
protected:
    testsupport::FakeSmbclient smbclient;
    RealSendSystem realSend;
};

TEST_P(HostileMessageTest, IsSentAsTypedOrRefusedBeforeTheRun)
{
    realSend.folder = system.folder;
    form = std::make_unique<crier::FrmMain>(toolkit, realSend);
    form->show();
    fillBook({u"PC1", u"PC2"});
    txtMessage().setText(GetParam().text);
    pressSend();

    if (GetParam().refusal) {
        // Every host would fail for the same reason: the run does not start.
        ASSERT_EQ(toolkit.boxes.size(), 1u);
        EXPECT_EQ(toolkit.boxes[0].text, GetParam().refusal);
        EXPECT_EQ(lstStatus().items, Items {u"Ready"});
        EXPECT_FALSE(smbclient.ran());
    } else {
        EXPECT_EQ(lstStatus().items, (Items {u"PC1 - OK", u"PC2 - OK", u"", u"Done."}));
        ASSERT_EQ(smbclient.runs().size(), 2u);
        const std::u16string &text = GetParam().text;
        EXPECT_EQ(smbclient.lastRun().standardInput, std::string(text.begin(), text.end()));
    }
    EXPECT_TRUE(cmdSend().enabled);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, HostileMessageTest, testing::ValuesIn(hostileMessages), testsupport::RowName());

} // namespace
