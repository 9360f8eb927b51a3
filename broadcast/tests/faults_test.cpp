// Crier's files under faults, on the real platform layer: a save that cannot
// be written is reported and leaves the files that were there as they were;
// a file that is no ordinary file does not stop the start.  And messages no
// receiver could take, through the real send path to a stand-in smbclient.
#include "crierfixture.h"

#include "fakesmbclient.h"
#include "faults.h"

#include <functional>
#include <optional>

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
    std::ifstream in(path, std::ios::binary);
    return "file: " + std::string(std::istreambuf_iterator<char>(in), {});
}

class SaveFaultTest;

struct SaveFault
{
    const char *name;
    // Prepares the fault in the folder of Crier's files, which exists.
    // Answers why it cannot be prepared here, or an empty string.
    std::function<std::string(SaveFaultTest &)> prepare;
    bool asOrdinaryUser = false;
    // Each step of the save runs whatever the one before it did: a file
    // that can be written is.
    bool messageWritable = false;
    bool settingsWritable = false;
};

void PrintTo(const SaveFault &fault, std::ostream *out)
{
    *out << fault.name;
}

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

    start();
    fillBook({u"NEW1", u"NEW2", u"NEW3"});
    chkCount().click();
    txtFile().setText(u"/usr/bin/xmessage done");
    txtMessage().setText(u"A new message.");
    const std::string cannotDrop
        = testsupport::runAs(GetParam().asOrdinaryUser, [this] { cmdSave().click(); });
    if (!cannotDrop.empty())
        GTEST_SKIP() << cannotDrop;

    ASSERT_EQ(toolkit.boxes.size(), 1u);
    EXPECT_EQ(toolkit.boxes[0].title, u"Error");
    EXPECT_EQ(toolkit.boxes[0].text, u"The settings could not be saved.");
    EXPECT_EQ(toolkit.boxes[0].icon, forms::BoxIcon::Exclamation);
    if (GetParam().settingsWritable)
        EXPECT_NE(settingsText().find("0=NEW1\n1=NEW2\n2=NEW3\n"), std::string::npos);
    else
        EXPECT_EQ(stateOf(settingsPath()), settingsBefore);
    if (GetParam().messageWritable)
        EXPECT_EQ(stateOf(messagePath()), "file: A new message.");
    else
        EXPECT_EQ(stateOf(messagePath()), messageBefore);
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
    {"FolderAtTheSettingsPath",
        [](SaveFaultTest &test) -> std::string {
            fs::create_directory(test.settingsPath());
            test.writeMessage(oldMessage);
            return {};
        },
        false, true, false},
    {"FolderAtTheMessagePath",
        [](SaveFaultTest &test) -> std::string {
            test.writeSettings(oldSettings);
            fs::create_directory(test.messagePath());
            return {};
        },
        false, false, true},
};

INSTANTIATE_TEST_SUITE_P(Faults, SaveFaultTest, testing::ValuesIn(saveFaults),
    [](const testing::TestParamInfo<SaveFault> &info) { return std::string(info.param.name); });

// ---- files that are not ordinary files ---------------------------------------------

struct OddFile
{
    const char *name;
    std::function<void(const fs::path &)> make;
};

void PrintTo(const OddFile &file, std::ostream *out)
{
    *out << file.name;
}

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

INSTANTIATE_TEST_SUITE_P(Files, OddFileTest, testing::ValuesIn(oddFiles),
    [](const testing::TestParamInfo<OddFile> &info) { return std::string(info.param.name); });

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

void PrintTo(const HostileMessage &message, std::ostream *out)
{
    *out << message.name;
}

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

INSTANTIATE_TEST_SUITE_P(Messages, HostileMessageTest, testing::ValuesIn(hostileMessages),
    [](const testing::TestParamInfo<HostileMessage> &info) {
        return std::string(info.param.name);
    });

} // namespace
