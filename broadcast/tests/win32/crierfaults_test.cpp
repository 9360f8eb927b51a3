// Crier's files under faults on Windows (Wine), through the real controls:
// a save that cannot be made whole shows its box and leaves both files byte
// for byte as they were; what the files hold comes back whole; a file that
// is no ordinary file does not stop the start.  The faults that only the
// host can make (a full disk, an immutable folder, a FIFO) are made through
// it, and skipped where they cannot be.
#include "crierwindows.h"
#include "rows.h"
#include "unixcommand.h"

#include <cstdlib>
#include <functional>

using namespace win32testing;
using Items = std::vector<std::wstring>;
namespace fs = std::filesystem;

namespace {

const std::string oldSettings = "[List]\r\n0=OLD1\r\n1=OLD2\r\n[Options]\r\nCount=0\r\nFile=\r\n";
const std::string oldMessage = "The old message.";

class CrierFaults : public CrierWindows
{
protected:
    void TearDown() override
    {
        for (const std::string &undo : m_undo)
            unixcommand::run(undo);
    }

    // The host's path of the test's folder, for its commands.
    std::string hostFolder() const { return unixcommand::hostPath(files.path()).value_or(""); }

    // Runs a host command now and another when the test ends; why it could
    // not, or an empty string.
    std::string onHost(const std::string &command, const std::string &undo)
    {
        const std::optional<int> status = unixcommand::run(command);
        if (!status)
            return "no host commands here (not Wine)";
        if (*status != 0)
            return "the host command failed (" + std::to_string(*status) + "): " + command;
        m_undo.push_back(undo);
        return {};
    }

    void fillBookAndSave()
    {
        ::SetFocus(control("txtAddress"));
        type("txtAddress", std::wstring(40, L'h'));
        press("txtAddress", VK_RETURN);
        ::SetWindowTextW(control("txtMessage"), L"A new message.");
        click("chkCount");
        click("cmdSave");
    }

    void expectTheBoxOnly(const BoxWatcher &boxes)
    {
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].title, L"Error");
        EXPECT_EQ(boxes.boxes[0].text, L"The settings could not be saved.");
        EXPECT_EQ(boxes.boxes[0].icon, MB_ICONEXCLAMATION);
    }

private:
    std::vector<std::string> m_undo;
};

// ---- a save that cannot be made whole --------------------------------------------

std::string settingsOf(std::size_t size)
{
    std::string file = "[List]\r\n0=PC1\r\n[Options]\r\nCount=0\r\nFile=";
    file += std::string(size - file.size() - 2, 'f');
    return file + "\r\n";
}

TEST_F(CrierFaults, FullDisk)
{
    if (!std::getenv("QUILLON_WINE_PRIVATE_MOUNTS"))
        GTEST_SKIP() << "this Wine runs in no mount namespace of its own (scripts/test-win32.sh "
                        "makes one as root)";
    const std::string folder = unixcommand::quoted(hostFolder());
    const std::string cannot
        = onHost("mount -t tmpfs -o size=64k,mode=0777 tmpfs " + folder, "umount -l " + folder);
    if (!cannot.empty())
        GTEST_SKIP() << cannot;
    ULARGE_INTEGER total {};
    ASSERT_TRUE(
        ::GetDiskFreeSpaceExW((files.path().wstring() + L"\\").c_str(), nullptr, &total, nullptr));
    ASSERT_EQ(total.QuadPart, 64u * 1024);
    // As the fault was found: 4,069 bytes of settings on a disk with no
    // room left.
    writeFile("ZK.INI", settingsOf(4069));
    writeFile("Message.txt", oldMessage);
    const HANDLE filler = ::CreateFileW((files.path() / "filler").c_str(), GENERIC_WRITE, 0,
        nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(filler, INVALID_HANDLE_VALUE);
    const std::string block(4096, 'x');
    for (DWORD size = 4096, written = 0; size > 0;) {
        if (!::WriteFile(filler, block.data(), size, &written, nullptr) || written == 0)
            size /= 2;
    }
    ::CloseHandle(filler);

    start();
    BoxWatcher boxes;
    fillBookAndSave();

    expectTheBoxOnly(boxes);
    EXPECT_EQ(readFile("ZK.INI"), settingsOf(4069));
    EXPECT_EQ(readFile("Message.txt"), oldMessage);
    EXPECT_EQ(std::distance(fs::directory_iterator(files.path()), fs::directory_iterator()), 3);
}

TEST_F(CrierFaults, ImmutableFolder)
{
    writeFile("ZK.INI", oldSettings);
    writeFile("Message.txt", oldMessage);
    const std::string folder = unixcommand::quoted(hostFolder());
    const std::string cannot = onHost("chattr +i " + folder, "chattr -i " + folder);
    if (!cannot.empty())
        GTEST_SKIP() << cannot;

    start();
    BoxWatcher boxes;
    fillBookAndSave();

    expectTheBoxOnly(boxes);
    EXPECT_EQ(readFile("ZK.INI"), oldSettings);
    EXPECT_EQ(readFile("Message.txt"), oldMessage);
}

// A NUL ends the text of a Windows control: what follows it would be saved
// away.  No save then writes over the files.
struct CutByTheControl
{
    const char *name;
    std::string settings;
    std::string message;
};

using testsupport::PrintTo;

class CutByTheControlTest : public CrierFaults, public testing::WithParamInterface<CutByTheControl>
{
};

TEST_P(CutByTheControlTest, IsNeverSavedCut)
{
    writeFile("ZK.INI", GetParam().settings);
    writeFile("Message.txt", GetParam().message);
    start();
    BoxWatcher boxes;
    fillBookAndSave();

    expectTheBoxOnly(boxes);
    EXPECT_EQ(readFile("ZK.INI"), GetParam().settings);
    EXPECT_EQ(readFile("Message.txt"), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(Files, CutByTheControlTest,
    testing::Values(CutByTheControl {"NulInTheMessage", oldSettings, std::string("msg\0after", 9)},
        CutByTheControl {"NulInAnEntry",
            std::string("[List]\r\n0=127.0.0.1\r\n1=AB\0CD\r\n2=127.0.0.2\r\n3=N\r\n", 48),
            oldMessage},
        CutByTheControl {"NulInTheProgramField",
            std::string("[Options]\r\nFile=run.exe\0 --now\r\n", 32), oldMessage}),
    testsupport::RowName());

// ---- long values -----------------------------------------------------------------------

// The profile functions cut these (at 32,767 characters, or to their length
// modulo 65,536 under Wine); the book and the program field take them whole,
// and a save stores them whole.
TEST_F(CrierFaults, LongValuesComeBackWhole)
{
    const std::string first(32767, 'a');
    const std::string second(40000, 'b');
    const std::string third(1 << 20, 'c');
    const std::string program(70000, 'f');
    const std::string settings = "[List]\r\n0=" + first + "\r\n1=" + second + "\r\n2=" + third
        + "\r\n[Options]\r\nCount=0\r\nFile=" + program + "\r\n";
    writeFile("ZK.INI", settings);
    start();
    const Items book = items("lstNetwork");
    ASSERT_EQ(book.size(), 3u);
    EXPECT_EQ(book[0].size(), first.size());
    EXPECT_EQ(book[1].size(), second.size());
    EXPECT_EQ(book[2].size(), third.size());
    EXPECT_EQ(text(control("txtFile")).size(), program.size());

    BoxWatcher boxes;
    click("cmdSave");
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(readFile("ZK.INI"), settings);
}

// ---- files that are not ordinary files ---------------------------------------------

struct OddFile
{
    const char *name;
    // The host's command that makes it at the path given.
    std::function<std::string(const std::string &path)> make;
};

class OddFileTest : public CrierFaults, public testing::WithParamInterface<OddFile>
{
};

// /dev/zero would fill the memory, and no window would ever show.
TEST_P(OddFileTest, StartsWithNothingLoaded)
{
    for (const char *name : {"ZK.INI", "Message.txt"}) {
        const std::string path = unixcommand::quoted(hostFolder() + '/' + name);
        const std::string cannot = onHost(GetParam().make(path), "rm -f " + path);
        if (!cannot.empty())
            GTEST_SKIP() << cannot;
    }
    start();
    EXPECT_TRUE(items("lstNetwork").empty());
    EXPECT_EQ(text(control("txtMessage")), L"");
    EXPECT_EQ(items("lstStatus"), Items {L"Ready"});
}

INSTANTIATE_TEST_SUITE_P(Files, OddFileTest,
    testing::Values(OddFile {"LinkToDevZero",
                        [](const std::string &path) { return "ln -s /dev/zero " + path; }},
        OddFile {"Fifo", [](const std::string &path) { return "mkfifo " + path; }},
        OddFile {"LargerThanTheLimit",
            [](const std::string &path) {
                return "printf '[List]\\r\\n0=PC1\\r\\n' >" + path + " && truncate -s 67108865 "
                    + path;
            }}),
    testsupport::RowName());

} // namespace
