// quillbox-deliver: what lands in the spool, what is refused, and that a
// message it cannot store stays where smbd put it.
#include "deliver.h"
#include "record.h"
#include "rows.h"

#include "faults.h"
#include "readwhole.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

namespace fs = std::filesystem;

constexpr deliver::Moment now {1796761440, 123456789}; // 2026-12-08T20:24:00Z
constexpr long pid = 4242;
const std::string firstName = "20261208T202400.123456789Z-4242.msg";

struct Paths
{
    fs::path folder;
    fs::path file; // smbd's FILE
    fs::path spool;
};

std::vector<std::string> namesIn(const fs::path &folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto &entry : fs::directory_iterator(folder, error))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> recordsIn(const fs::path &spool)
{
    std::vector<std::string> names = namesIn(spool);
    std::erase_if(names, [](const std::string &n) { return !record::isRecordName(n); });
    return names;
}

// Everything in the spool that is neither a record nor the sweep's stamp.
std::vector<std::string> leftoversIn(const fs::path &spool)
{
    std::vector<std::string> names = namesIn(spool);
    std::erase_if(names,
        [](const std::string &n) { return record::isRecordName(n) || n == deliver::sweepStamp; });
    return names;
}

deliver::Result deliverFile(
    const Paths &s, const std::string &sender = "PC01", const std::string &destination = "OFFICE")
{
    const std::string file = s.file.string();
    const char *args[] = {file.c_str(), sender.c_str(), destination.c_str()};
    return deliver::run(3, args, s.spool.c_str(), now, pid);
}

struct DeliverCase
{
    const char *name;
    std::function<void(const Paths &)> make;
    bool delivered;
    const char *note; // a piece of the line for the standard error
};

using testsupport::PrintTo;

void write(const fs::path &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

const DeliverCase deliverCases[] = {
    {"Message",
        [](const Paths &s) {
            write(s.file,
                "Gr\xc3\xbc\xc3\x9f"
                "e\n");
        },
        true, ""},
    {"EmptyMessage", [](const Paths &s) { write(s.file, ""); }, true, ""},
    {"TheLimit", [](const Paths &s) { write(s.file, std::string(64 * 1024, 'x')); }, true, ""},
    {"OverTheLimit", [](const Paths &s) { write(s.file, std::string(64 * 1024 + 1, 'x')); }, false,
        "larger than 64 KiB"},
    {"LinkToAFile",
        [](const Paths &s) {
            write(s.folder / "target", "secret");
            fs::create_symlink(s.folder / "target", s.file);
        },
        false, "is a symbolic link"},
    {"LinkToDevZero", [](const Paths &s) { fs::create_symlink("/dev/zero", s.file); }, false,
        "is a symbolic link"},
    // Opening it would wait for a writer.
    {"Fifo", [](const Paths &s) { ::mkfifo(s.file.c_str(), 0600); }, false,
        "is not a regular file"},
    {"Folder", [](const Paths &s) { fs::create_directory(s.file); }, false,
        "is not a regular file"},
    {"NoSpool",
        [](const Paths &s) {
            write(s.file, "Hi\n");
            fs::remove(s.spool);
        },
        false, "cannot open the spool"},
    {"SpoolIsALink",
        [](const Paths &s) {
            write(s.file, "Hi\n");
            fs::rename(s.spool, s.folder / "elsewhere");
            fs::create_symlink(s.folder / "elsewhere", s.spool);
        },
        false, "cannot open the spool"},
    {"SpoolIsAFile",
        [](const Paths &s) {
            write(s.file, "Hi\n");
            fs::remove(s.spool);
            write(s.spool, "");
        },
        false, "cannot open the spool"},
};

class DeliverTest : public testing::TestWithParam<DeliverCase>
{
protected:
    TempFolder m_temp;
    Paths m_setup {m_temp.path(), m_temp.path() / "msg.XyZ123", m_temp.path() / "spool"};

    void SetUp() override { fs::create_directory(m_setup.spool); }
};

TEST_P(DeliverTest, StoresOrLeavesTheFile)
{
    const DeliverCase &c = GetParam();
    c.make(m_setup);
    const std::string before = fs::is_regular_file(fs::symlink_status(m_setup.file))
        ? readWhole(m_setup.file)
        : std::string();

    const deliver::Result result = deliverFile(m_setup);

    EXPECT_NE(result.note.find(c.note), std::string::npos) << result.note;
    EXPECT_EQ(result.note.find('\n'), std::string::npos);
    if (!c.delivered) {
        EXPECT_NE(result.status, 0);
        // Left as smbd wrote it.
        EXPECT_TRUE(fs::exists(fs::symlink_status(m_setup.file)));
        if (!before.empty()) {
            EXPECT_EQ(readWhole(m_setup.file), before);
        }
        EXPECT_TRUE(recordsIn(m_setup.spool).empty());
        EXPECT_TRUE(leftoversIn(m_setup.spool).empty());
        return;
    }
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.note.empty());
    EXPECT_FALSE(fs::exists(fs::symlink_status(m_setup.file)));
    ASSERT_EQ(recordsIn(m_setup.spool), std::vector<std::string>({firstName}));
    EXPECT_TRUE(leftoversIn(m_setup.spool).empty());
    const fs::path stored = m_setup.spool / firstName;
    const record::Parsed parsed = record::parse(readWhole(stored));
    ASSERT_TRUE(parsed.ok());
    EXPECT_EQ(parsed.record, (record::Record {"PC01", "OFFICE", now.seconds, before}));
    // Every local user's Quillbox reads it; nobody else may change it.
    struct stat st;
    ASSERT_EQ(::stat(stored.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
}

INSTANTIATE_TEST_SUITE_P(Deliver, DeliverTest, testing::ValuesIn(deliverCases),
    [](const auto &info) { return std::string(info.param.name); });

class Deliver : public testing::Test
{
protected:
    TempFolder m_temp;
    Paths m_setup {m_temp.path(), m_temp.path() / "msg.XyZ123", m_temp.path() / "spool"};

    void SetUp() override { fs::create_directory(m_setup.spool); }
};

TEST_F(Deliver, NamesAreTextNotCommands)
{
    write(m_setup.file, "x");
    const std::string sender = "a\nLength: 0\n\n$(touch /tmp/quillbox-pwned)";
    const std::string destination = "%0A\x1b[31m";
    ASSERT_EQ(deliverFile(m_setup, sender, destination).status, 0);
    const record::Parsed parsed = record::parse(readWhole(m_setup.spool / firstName));
    ASSERT_TRUE(parsed.ok());
    EXPECT_EQ(parsed.record.sender, sender);
    EXPECT_EQ(parsed.record.destination, destination);
    EXPECT_EQ(parsed.record.text, "x");
}

TEST_F(Deliver, TwoMessagesInTheSameNanosecondKeepBoth)
{
    write(m_setup.file, "first");
    ASSERT_EQ(deliverFile(m_setup).status, 0);
    write(m_setup.file, "second");
    ASSERT_EQ(deliverFile(m_setup).status, 0);
    const auto names = recordsIn(m_setup.spool);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(record::parse(readWhole(m_setup.spool / names[0])).record.text, "first");
    EXPECT_EQ(record::parse(readWhole(m_setup.spool / names[1])).record.text, "second");
}

TEST_F(Deliver, WrongArgumentsLeaveTheFile)
{
    write(m_setup.file, "x");
    const std::string file = m_setup.file.string();
    const char *args[] = {file.c_str(), "PC01", "OFFICE", "extra"};
    for (const int count : {0, 1, 2, 4}) {
        const deliver::Result result = deliver::run(count, args, m_setup.spool.c_str(), now, pid);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.note, "usage: quillbox-deliver FILE SENDER DESTINATION");
    }
    EXPECT_TRUE(fs::exists(m_setup.file));
    EXPECT_TRUE(recordsIn(m_setup.spool).empty());
}

TEST_F(Deliver, ASpoolThatIsNotWritableLeavesTheFile)
{
    write(m_setup.file, "x");
    fs::permissions(m_temp.path(), fs::perms::all);
    fs::permissions(m_setup.file, fs::perms::owner_read | fs::perms::others_read);
    fs::permissions(
        m_setup.spool, fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    deliver::Result result;
    const std::string problem = testsupport::runAs(true, [&] { result = deliverFile(m_setup); });
    if (!problem.empty())
        GTEST_SKIP() << problem;
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.note.find("Permission denied"), std::string::npos) << result.note;
    EXPECT_TRUE(fs::exists(m_setup.file));
    EXPECT_TRUE(namesIn(m_setup.spool).empty());
}

TEST_F(Deliver, AFullSpoolLeavesTheFile)
{
    const testsupport::SmallDisk disk(m_setup.spool);
    if (!disk.problem().empty())
        GTEST_SKIP() << disk.problem();
    write(m_setup.file, std::string(1598, 'x'));
    ASSERT_TRUE(disk.fill());

    const deliver::Result result = deliverFile(m_setup);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.note.find("No space left on device"), std::string::npos) << result.note;
    EXPECT_NE(result.note.find("was left in place"), std::string::npos) << result.note;
    EXPECT_EQ(readWhole(m_setup.file), std::string(1598, 'x'));
    EXPECT_TRUE(recordsIn(m_setup.spool).empty());
    EXPECT_TRUE(leftoversIn(m_setup.spool).empty()
        || leftoversIn(m_setup.spool) == std::vector<std::string>({".filler"}));
}

TEST_F(Deliver, AFullSpoolMakesRoomByDroppingWhatIsDue)
{
    const testsupport::SmallDisk disk(m_setup.spool);
    if (!disk.problem().empty())
        GTEST_SKIP() << disk.problem();
    // A record 31 days old, and the disk full behind it.
    const std::string old = record::recordName(now.seconds - 31 * 86400, 0, 1);
    write(m_setup.spool / old, std::string(8192, 'o'));
    write(m_setup.spool / deliver::sweepStamp, "");
    ASSERT_TRUE(disk.fill());
    write(m_setup.file, std::string(1598, 'x'));

    const deliver::Result result = deliverFile(m_setup);
    EXPECT_EQ(result.status, 0) << result.note;
    EXPECT_FALSE(fs::exists(m_setup.file));
    EXPECT_EQ(recordsIn(m_setup.spool), std::vector<std::string>({firstName}));
}

// The sweep: which files it removes, and how often it looks.
struct SweepCase
{
    const char *name;
    std::int64_t age; // seconds before now
    bool hidden; // a killed delivery's file instead of a record
    bool removed;
};

const SweepCase sweepCases[] = {
    {"RecordOf31Days", 31 * 86400, false, true},
    {"RecordOfJustOver30Days", 30 * 86400 + 1, false, true},
    {"RecordOf30Days", 30 * 86400, false, false},
    {"RecordOfToday", 0, false, false},
    {"KilledDeliveryOf2Days", 2 * 86400, true, true},
    // Perhaps still being written.
    {"KilledDeliveryOfAnHour", 3600, true, false},
};

class SweepTest : public testing::TestWithParam<SweepCase>
{
protected:
    TempFolder m_temp;
};

TEST_P(SweepTest, RemovesWhatIsDue)
{
    const SweepCase &c = GetParam();
    const std::string name = c.hidden ? "." + record::recordName(now.seconds, 0, 9) + ".new"
                                      : record::recordName(now.seconds - c.age, 0, 9);
    const fs::path path = m_temp.path() / name;
    write(path, "x");
    if (c.hidden) {
        const timespec times[2] = {{now.seconds - c.age, 0}, {now.seconds - c.age, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    }
    // Not the spool's: names it did not give are left alone, whatever age.
    write(m_temp.path() / "notes.txt", "x");
    const int folder = ::open(m_temp.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(folder, 0);
    EXPECT_EQ(deliver::sweep(folder, now), c.removed ? 1 : 0);
    ::close(folder);
    EXPECT_EQ(fs::exists(path), !c.removed);
    EXPECT_TRUE(fs::exists(m_temp.path() / "notes.txt"));
}

INSTANTIATE_TEST_SUITE_P(Deliver, SweepTest, testing::ValuesIn(sweepCases),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Sweep, LooksOnceADayUnlessForced)
{
    TempFolder temp;
    const int folder = ::open(temp.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(folder, 0);
    const deliver::Moment today = now;
    EXPECT_EQ(deliver::sweep(folder, today), 0);
    ASSERT_TRUE(fs::is_regular_file(temp.path() / deliver::sweepStamp));

    const fs::path old = temp.path() / record::recordName(today.seconds - 40 * 86400, 0, 1);
    write(old, "x");
    EXPECT_EQ(deliver::sweep(folder, {today.seconds + 3600, 0}), 0);
    EXPECT_TRUE(fs::exists(old));
    EXPECT_EQ(deliver::sweep(folder, {today.seconds + 25 * 3600, 0}), 1);
    EXPECT_FALSE(fs::exists(old));
    write(old, "x");
    EXPECT_EQ(deliver::sweep(folder, today, true), 1);
    ::close(folder);
}

// The program itself: exit status and one line on the standard error.
struct ProgramRun
{
    int status = -1;
    std::string errors;
};

ProgramRun runProgram(const std::vector<std::string> &args, const std::string &spool)
{
    TempFolder out;
    const fs::path errors = out.path() / "stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT, 0600);
    std::vector<char *> argv {const_cast<char *>(QUILLBOX_DELIVER)};
    for (const std::string &arg : args)
        argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    const std::string variable = "QUILLBOX_SPOOL=" + spool;
    std::vector<char *> env {const_cast<char *>(variable.c_str()), nullptr};
    ProgramRun run;
    pid_t child;
    if (posix_spawn(&child, QUILLBOX_DELIVER, &actions, nullptr, argv.data(), env.data()) == 0) {
        int status = 0;
        ::waitpid(child, &status, 0);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    run.errors = readWhole(errors);
    return run;
}

TEST_F(Deliver, TheProgramSaysWhatWentWrongInOneLine)
{
    write(m_setup.file, "Hi\n");
    ProgramRun run = runProgram({m_setup.file.string(), "PC01", "OFFICE"}, m_setup.spool.string());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.errors, "");
    EXPECT_EQ(recordsIn(m_setup.spool).size(), 1u);

    write(m_setup.file, "Hi\n");
    run = runProgram({m_setup.file.string(), "PC01", "OFFICE"}, (m_temp.path() / "none").string());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.errors,
        "quillbox-deliver: cannot open the spool " + (m_temp.path() / "none").string()
            + ": No such file or directory; " + m_setup.file.string() + " was left in place\n");

    run = runProgram({m_setup.file.string()}, m_setup.spool.string());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.errors, "quillbox-deliver: usage: quillbox-deliver FILE SENDER DESTINATION\n");
    EXPECT_TRUE(fs::exists(m_setup.file));
}

} // namespace
