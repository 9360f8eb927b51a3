// Process start to first paint: kvoll's window with a 10,000-entry history
// against minimal Qt windows, all on the offscreen platform.  The baseline is
// a window with one label: loading the font database is the largest single
// cost of any window that shows text.  The bare QWidget, which never loads a
// font, is printed beside it.
#include "history.h"
#include "stats.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

double run(const std::string &program)
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    setenv("QUILLON_BENCH_START",
        std::to_string(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()).c_str(),
        1);
    int out[2];
    if (pipe(out) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    char *argv[] = {const_cast<char *>(program.c_str()), nullptr};
    pid_t pid;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ) != 0)
        return -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    char buffer[64] = {};
    [[maybe_unused]] ssize_t n = read(out[0], buffer, sizeof buffer - 1);
    close(out[0]);
    int status;
    waitpid(pid, &status, 0);
    return std::atof(buffer);
}

} // namespace

int main(int, char **argv)
{
    std::setlocale(LC_ALL, "C.UTF-8");
    const std::string here = std::string(argv[0]).substr(0, std::string(argv[0]).rfind('/') + 1);
    QTemporaryDir home;
    QStringList entries;
    for (int i = 0; i < 10000; ++i)
        entries.append(QStringLiteral("HOST-%1").arg(i));
    kvoll::history::save(QFile::encodeName(home.filePath(".kvoll")), entries);
    setenv("HOME", home.path().toLocal8Bit().constData(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("XDG_RUNTIME_DIR", home.path().toLocal8Bit().constData(), 1);

    const int rounds = 15;
    std::vector<double> kvoll, label, bare;
    run(here + "bench_kvoll_window"); // warm the file cache
    for (int i = 0; i < rounds; ++i) {
        kvoll.push_back(run(here + "bench_kvoll_window"));
        label.push_back(run(here + "bench_label_window"));
        bare.push_back(run(here + "bench_minimal_window"));
    }
    const double k = median(kvoll), l = median(label), b = median(bare);
    std::printf(
        "start-up: kvoll with 10,000 history entries %.1f ms, minimal Qt window with a label %.1f "
        "ms "
        "(median of %d), ratio %.3f (goal <= 1.3); bare QWidget without text %.1f ms, ratio %.3f\n",
        k, l, rounds, k / l, b, k / b);
    return 0;
}
