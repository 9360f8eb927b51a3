// One delivery by quillbox-deliver, as smbd starts it, against cp of the same
// 1,598-byte file in the same run: process start to exit, median of 1,000.
// The spool lies in a temporary folder on the disk of /var/tmp, where
// /var/spool usually lies too.  The same delivery into a spool in /dev/shm
// (memory, where syncing costs nothing) shows what of it is the disk's sync.
#include "stats.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

double run(std::vector<std::string> args, char **env)
{
    std::vector<char *> argv;
    for (std::string &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), env) != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    const double elapsed = millisecondsSince(start);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? elapsed : -1;
}

} // namespace

int main(int, char **argv)
{
    const std::string here = std::string(argv[0]).substr(0, std::string(argv[0]).rfind('/') + 1);
    const std::string deliver = here + "../bin/quillbox-deliver";
    char base[] = "/var/tmp/quillbox-bench.XXXXXX";
    if (!mkdtemp(base)) {
        std::printf("delivery: no temporary folder (%s)\n", std::strerror(errno));
        return 1;
    }
    const fs::path folder = base;
    fs::create_directory(folder / "spool");
    char memory[] = "/dev/shm/quillbox-bench.XXXXXX";
    const bool haveMemory = mkdtemp(memory) != nullptr;
    fs::create_directory(folder / "copies");
    const std::string text(1598, 'x');
    const fs::path file = folder / "msg.bench";
    std::string spool = "QUILLBOX_SPOOL=" + (folder / "spool").string();
    char *env[] = {spool.data(), nullptr};
    std::string memorySpool = std::string("QUILLBOX_SPOOL=") + memory;
    char *memoryEnv[] = {memorySpool.data(), nullptr};

    const int rounds = 1000;
    std::vector<double> delivery, copy, inMemory;
    for (int i = 0; i < rounds + 10; ++i) {
        // Alternated, so that drift of the machine hits all alike; the
        // first ten warm the file cache and are not counted.
        std::ofstream(file, std::ios::binary) << text;
        const double d = run({deliver, file.string(), "PC01", "OFFICE"}, env);
        std::ofstream(file, std::ios::binary) << text;
        const double c = run(
            {"/bin/cp", file.string(), (folder / "copies" / std::to_string(i)).string()}, env);
        std::ofstream(file, std::ios::binary) << text;
        const double s
            = haveMemory ? run({deliver, file.string(), "PC01", "OFFICE"}, memoryEnv) : 0;
        if (d < 0 || c < 0 || s < 0) {
            std::printf("delivery: a run failed\n");
            return 1;
        }
        if (i >= 10) {
            delivery.push_back(d);
            copy.push_back(c);
            inMemory.push_back(s);
        }
    }
    const double m = median(delivery), b = median(copy);
    std::printf("delivery: quillbox-deliver %.2f ms (goal <= 5 ms), cp of the same file %.2f ms "
                "(median of %d), ratio %.2f\n",
        m, b, rounds, m / b);
    if (haveMemory) {
        std::printf("delivery: into a spool in memory %.2f ms, ratio to cp %.2f\n",
            median(inMemory), median(inMemory) / b);
        fs::remove_all(memory);
    }
    fs::remove_all(folder);
    return 0;
}
