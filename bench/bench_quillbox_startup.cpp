// Quillbox's start to first paint with a store of 10,000 messages, against
// its start with an empty store, in the same run (median of 31 each,
// alternated).  Half of the stored messages are marked read.  The store is
// as Quillbox leaves it once it has been still a while: with its index.
// Printed beside: the same store without its index (the folder listed, as
// after a change that the index does not know), and a store of one message
// (what showing a message costs, apart from the store's size).
#include "record.h"
#include "startup.h"
#include "stats.h"
#include "store.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

double run(const std::string &program, const fs::path &dataHome, const fs::path &spool)
{
    setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
    setenv("QUILLBOX_SPOOL", spool.c_str(), 1);
    return timeToFirstPaint(program);
}

// Each start shows the oldest unread message and so marks it read, which
// changes the folder: as Quillbox itself does a while after, the index is
// written again, for a folder that has been still for a minute.
bool reindex(const fs::path &dataHome)
{
    const std::int64_t now = std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::system_clock::now().time_since_epoch())
                                 .count();
    const fs::path messages = dataHome / "Quillbox" / "messages";
    const timespec past[2] = {{now - 60, 0}, {now - 60, 0}};
    utimensat(AT_FDCWD, messages.c_str(), past, 0);
    const bool written = quillbox::Store((dataHome / "Quillbox").string()).writeIndex(now)
        == quillbox::Store::IndexWrite::Written;
    // A while after, the new index is on the disk too: its writeback would
    // otherwise fall into the start measured next.
    const int index = ::open((dataHome / "Quillbox" / "index").c_str(), O_RDONLY | O_CLOEXEC);
    if (index >= 0) {
        ::fsync(index);
        ::close(index);
    }
    return written;
}

} // namespace

int main(int, char **argv)
{
    const std::string here = std::string(argv[0]).substr(0, std::string(argv[0]).rfind('/') + 1);
    const fs::path folder
        = fs::temp_directory_path() / ("quillbox-bench-" + std::to_string(getpid()));
    const fs::path empty = folder / "empty";
    const fs::path full = folder / "full";
    const fs::path one = folder / "one";
    const fs::path unindexed = folder / "unindexed";
    const fs::path spool = folder / "spool";
    fs::create_directories(empty / "Quillbox");
    fs::create_directories(full / "Quillbox" / "messages");
    fs::create_directories(one / "Quillbox" / "messages");
    fs::create_directories(spool);

    const int messages = 10000;
    for (int i = 0; i < messages; ++i) {
        const std::int64_t at = 1796761440 + i * 60;
        // Every other one read.
        const std::string name = record::recordName(at, 0, 1) + (i % 2 ? "" : ".read");
        std::ofstream(full / "Quillbox" / "messages" / name, std::ios::binary)
            << record::format({"PC" + std::to_string(i % 50), "OFFICE", at,
                   "Message number " + std::to_string(i) + " of the benchmark.\n"});
    }
    fs::copy(full / "Quillbox" / "messages" / record::recordName(1796761440 + 60, 0, 1),
        one / "Quillbox" / "messages");
    fs::copy(full, unindexed, fs::copy_options::recursive);
    if (!reindex(full)) {
        std::printf("Quillbox start-up: the index could not be written\n");
        return 1;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);

    const std::string probe = here + "bench_quillbox_window";
    const int rounds = 31;
    std::vector<double> withEmpty, withFull, withOne, withoutIndex;
    run(probe, full, spool); // warm the file cache
    for (int i = 0; i < rounds; ++i) {
        withEmpty.push_back(run(probe, empty, spool));
        reindex(full);
        withFull.push_back(run(probe, full, spool));
        withOne.push_back(run(probe, one, spool));
        withoutIndex.push_back(run(probe, unindexed, spool));
    }
    const double e = median(withEmpty), f = median(withFull);
    std::printf("Quillbox start-up: store of 10,000 messages %.1f ms, empty store %.1f ms (median "
                "of %d), ratio %.3f (goal <= 1.2)\n",
        f, e, rounds, f / e);
    std::printf("Quillbox start-up: store of one message %.1f ms, ratio to the empty store %.3f; "
                "10,000 messages without the index %.1f ms, ratio %.3f\n",
        median(withOne), median(withOne) / e, median(withoutIndex), median(withoutIndex) / e);
    // On a busy machine the fastest start of each is the steadier figure.
    const double fastEmpty = *std::min_element(withEmpty.begin(), withEmpty.end());
    const double fastFull = *std::min_element(withFull.begin(), withFull.end());
    std::printf("Quillbox start-up: fastest of %d: 10,000 messages %.1f ms, empty store %.1f ms, "
                "ratio %.3f\n",
        rounds, fastFull, fastEmpty, fastFull / fastEmpty);
    fs::remove_all(folder);
    return 0;
}
