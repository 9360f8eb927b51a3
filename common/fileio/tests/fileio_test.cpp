// Whole files: what is read, what is refused before it is opened, and what a
// replacement does to what is at the path.
#include "fileio/fileio.h"
#include "rows.h"

#include "faults.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>

#include <pwd.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct ReadCase
{
    const char *name;
    std::function<void(const fs::path &)> make;
    std::size_t limit;
    fileio::ReadFailure failure;
    int errorNumber;
    std::string bytes;
};

using testsupport::PrintTo;

void write(const fs::path &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

using F = fileio::ReadFailure;
const ReadCase readCases[] = {
    {"File", [](const fs::path &p) { write(p, std::string("a\0b", 3)); }, 10, F::None, 0,
        std::string("a\0b", 3)},
    {"FileAtTheLimit", [](const fs::path &p) { write(p, "0123456789"); }, 10, F::None, 0,
        "0123456789"},
    {"FileOverTheLimit", [](const fs::path &p) { write(p, "0123456789!"); }, 10, F::TooLarge, 0,
        ""},
    {"Missing", [](const fs::path &) {}, 10, F::System, ENOENT, ""},
    {"Folder", [](const fs::path &p) { fs::create_directory(p); }, 10, F::NotAFile, 0, ""},
    // Opening it would wait for a writer for ever.
    {"Fifo", [](const fs::path &p) { ::mkfifo(p.c_str(), 0600); }, 10, F::NotAFile, 0, ""},
    // Reading it would never end.
    {"LinkToDevZero", [](const fs::path &p) { fs::create_symlink("/dev/zero", p); },
        fileio::maxFileSize, F::NotAFile, 0, ""},
    {"LinkLoop", [](const fs::path &p) { fs::create_symlink(p, p); }, 10, F::System, ELOOP, ""},
};

using ReadTest = testing::TestWithParam<ReadCase>;

TEST_P(ReadTest, ReadsRegularFilesOnly)
{
    TempFolder folder;
    const fs::path path = folder.path() / "file";
    GetParam().make(path);
    const fileio::FileContent content = fileio::readFile(path.string(), GetParam().limit);
    EXPECT_EQ(content.failure, GetParam().failure);
    EXPECT_EQ(content.errorNumber, GetParam().errorNumber);
    EXPECT_EQ(content.bytes, GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(Paths, ReadTest, testing::ValuesIn(readCases), testsupport::RowName());

struct ReplaceCase
{
    const char *name;
    // Prepares the path; returns the file that must hold the new bytes, or
    // an empty path when the replacement must fail.
    std::function<fs::path(const fs::path &folder, const fs::path &path)> make;
    int errorNumber;
    bool asOrdinaryUser = false;
};

const ReplaceCase replaceCases[] = {
    {"NewFile", [](const fs::path &, const fs::path &p) { return p; }, 0},
    {"ExistingFile",
        [](const fs::path &, const fs::path &p) {
            write(p, "old");
            return p;
        },
        0},
    {"LinkToNothingCreatesTheTarget",
        [](const fs::path &folder, const fs::path &p) {
            fs::create_symlink("target", p);
            return folder / "target";
        },
        0},
    {"ChainOfLinks",
        [](const fs::path &folder, const fs::path &p) {
            fs::create_directory(folder / "sub");
            fs::create_symlink("end", folder / "sub" / "middle");
            fs::create_symlink("sub/middle", p);
            return folder / "sub" / "end";
        },
        0},
    {"LinkLoop",
        [](const fs::path &, const fs::path &p) {
            fs::create_symlink(p, p);
            return fs::path();
        },
        ELOOP},
    {"Folder",
        [](const fs::path &, const fs::path &p) {
            fs::create_directory(p);
            return fs::path();
        },
        EISDIR},
    {"Fifo",
        [](const fs::path &, const fs::path &p) {
            ::mkfifo(p.c_str(), 0600);
            return fs::path();
        },
        EINVAL},
    {"ReadOnlyFile",
        [](const fs::path &folder, const fs::path &p) {
            fs::permissions(folder, fs::perms::all);
            write(p, "old");
            fs::permissions(p, fs::perms::owner_read | fs::perms::others_read);
            return fs::path();
        },
        EACCES, true},
};

using ReplaceTest = testing::TestWithParam<ReplaceCase>;

TEST_P(ReplaceTest, WritesTheTargetOrNothing)
{
    TempFolder folder;
    const fs::path path = folder.path() / "file";
    const fs::path target = GetParam().make(folder.path(), path);
    std::error_code ignored;
    const auto before = fs::symlink_status(path, ignored).type();
    const std::size_t entries
        = std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator());

    int error = 0;
    bool replaced = false;
    const std::string cannotDrop = testsupport::runAs(GetParam().asOrdinaryUser,
        [&] { replaced = fileio::replaceAtomically(path.string(), "new", &error); });
    if (!cannotDrop.empty())
        GTEST_SKIP() << cannotDrop;

    EXPECT_EQ(replaced, !target.empty());
    EXPECT_EQ(error, GetParam().errorNumber);
    EXPECT_EQ(fs::symlink_status(path, ignored).type(),
        before == fs::file_type::not_found ? fs::file_type::regular : before);
    if (!target.empty()) {
        std::ifstream in(target, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "new");
    } else {
        // Nothing left behind.
        EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()),
            static_cast<std::ptrdiff_t>(entries));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ReplaceTest, testing::ValuesIn(replaceCases), testsupport::RowName());

// ---- several files together ------------------------------------------------------

// Everything in a folder: each name with its content, when it is a file.
std::map<std::string, std::string> snapshot(const fs::path &folder)
{
    std::map<std::string, std::string> entries;
    for (const auto &entry : fs::directory_iterator(folder)) {
        std::string &content = entries[entry.path().filename().string()];
        if (!entry.is_regular_file()) {
            content = "<not a file>";
            continue;
        }
        std::ifstream in(entry.path(), std::ios::binary);
        content.assign(std::istreambuf_iterator<char>(in), {});
    }
    return entries;
}

struct TogetherCase
{
    const char *name;
    // Prepares the folder for files "a" and "b"; answers why it cannot here,
    // or an empty string.
    std::function<std::string(const fs::path &folder, std::optional<testsupport::SmallDisk> &)>
        make;
    bool replaced;
    bool asOrdinaryUser = false;
};

using TogetherTest = testing::TestWithParam<TogetherCase>;

// Both files hold their new bytes, or the folder is exactly as it was.
TEST_P(TogetherTest, ReplacesBothOrNeither)
{
    TempFolder folder;
    std::optional<testsupport::SmallDisk> disk;
    const std::string cannot = GetParam().make(folder.path(), disk);
    if (!cannot.empty())
        GTEST_SKIP() << cannot;
    const auto before = snapshot(folder.path());
    // Larger than what a nearly full disk leaves.
    const std::string second(10000, 'b');

    bool replaced = false;
    int error = 0;
    const std::string cannotDrop = testsupport::runAs(GetParam().asOrdinaryUser, [&] {
        replaced = fileio::replaceTogether(
            {{(folder.path() / "a").string(), "new a"}, {(folder.path() / "b").string(), second}},
            &error);
    });
    if (!cannotDrop.empty())
        GTEST_SKIP() << cannotDrop;

    ASSERT_EQ(replaced, GetParam().replaced);
    if (replaced) {
        auto after = before;
        after["a"] = "new a";
        after["b"] = second;
        EXPECT_EQ(snapshot(folder.path()), after);
    } else {
        EXPECT_NE(error, 0);
        EXPECT_EQ(snapshot(folder.path()), before);
    }
}

std::string rootOnly()
{
    return ::geteuid() == 0 ? std::string() : std::string("needs root to hand files to others");
}

const TogetherCase togetherCases[] = {
    {"BothThere",
        [](const fs::path &f, auto &) {
            write(f / "a", "old a");
            write(f / "b", "old b");
            return std::string();
        },
        true},
    {"SecondIsAFolder",
        [](const fs::path &f, auto &) {
            write(f / "a", "old a");
            fs::create_directory(f / "b");
            return std::string();
        },
        false},
    {"FirstReadOnly",
        [](const fs::path &f, auto &) {
            fs::permissions(f, fs::perms::all);
            write(f / "a", "old a");
            fs::permissions(f / "a", fs::perms::owner_read | fs::perms::others_read);
            return std::string();
        },
        false, true},
    {"NoRoomForTheSecond",
        [](const fs::path &f, std::optional<testsupport::SmallDisk> &disk) {
            disk.emplace(f);
            if (!disk->problem().empty())
                return disk->problem();
            write(f / "a", "old a");
            return disk->fill(4096) ? std::string() : std::string("the disk did not fill");
        },
        false},
    // In a sticky folder nobody may put a file over one of root's: the
    // second rename fails after the first, which is then taken back.
    {"SecondRenameFails",
        [](const fs::path &f, auto &) {
            if (const std::string cannot = rootOnly(); !cannot.empty())
                return cannot;
            fs::permissions(f, fs::perms::all | fs::perms::sticky_bit);
            write(f / "a", "old a");
            write(f / "b", "old b");
            const passwd *nobody = ::getpwnam("nobody");
            if (!nobody || ::chown((f / "a").c_str(), nobody->pw_uid, nobody->pw_gid) != 0)
                return std::string("no user nobody to own the first file");
            fs::permissions(f / "b", fs::perms::all);
            return std::string();
        },
        false, true},
    {"SecondRenameFailsFirstIsNew",
        [](const fs::path &f, auto &) {
            if (const std::string cannot = rootOnly(); !cannot.empty())
                return cannot;
            fs::permissions(f, fs::perms::all | fs::perms::sticky_bit);
            write(f / "b", "old b");
            fs::permissions(f / "b", fs::perms::all);
            return std::string();
        },
        false, true},
};

INSTANTIATE_TEST_SUITE_P(
    Files, TogetherTest, testing::ValuesIn(togetherCases), testsupport::RowName());

} // namespace
