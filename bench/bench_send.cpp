// kvoll's send path against a bare smbclient -M, to the same real smbd.
#include "sambareceiver.h"
#include "send.h"
#include "stats.h"

#include <QCoreApplication>

#include <clocale>
#include <cstdio>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

// The least a program can do: start smbclient, feed it, wait.
bool bareSmbclient(const char *address, const char *input)
{
    int in[2];
    if (pipe(in) != 0)
        return false;
    const int devNull = open("/dev/null", O_WRONLY);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, devNull, 1);
    posix_spawn_file_actions_adddup2(&actions, devNull, 2);
    posix_spawn_file_actions_addclose(&actions, in[1]);
    char *argv[] = {const_cast<char *>("smbclient"), const_cast<char *>("-M"),
        const_cast<char *>(address), nullptr};
    pid_t pid;
    const int rc = posix_spawnp(&pid, "smbclient", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(devNull);
    if (rc != 0) {
        close(in[1]);
        return false;
    }
    [[maybe_unused]] ssize_t written = write(in[1], input, strlen(input));
    close(in[1]);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

int main(int argc, char **argv)
{
    const QString problem = enterPrivateNetwork();
    if (!problem.isEmpty()) {
        std::printf("send overhead: skipped (%s)\n", qPrintable(problem));
        return 0;
    }
    std::setlocale(LC_ALL, "C.UTF-8");
    QCoreApplication app(argc, argv);
    SambaReceiver receiver(QStringLiteral("127.0.0.2"));
    const QString startProblem = receiver.start();
    if (!startProblem.isEmpty()) {
        std::printf("send overhead: receiver did not start (%s)\n", qPrintable(startProblem));
        return 1;
    }

    const int rounds = 30;
    std::vector<double> kvoll, bare;
    bareSmbclient("127.0.0.2", "warm-up\n");
    for (int i = 0; i < rounds; ++i) {
        // Alternate the two so that drift of the machine hits both alike.
        auto start = std::chrono::steady_clock::now();
        if (kvoll::sendMessage(QStringLiteral("127.0.0.2"), QStringLiteral("benchmark message"))
            != smbclient::Outcome::Delivered)
            return 1;
        kvoll.push_back(millisecondsSince(start));
        start = std::chrono::steady_clock::now();
        if (!bareSmbclient("127.0.0.2", "benchmark message\n"))
            return 1;
        bare.push_back(millisecondsSince(start));
    }
    const double k = median(kvoll), b = median(bare);
    std::printf("send overhead: kvoll %.1f ms, bare smbclient -M %.1f ms (median of %d), ratio "
                "%.3f (goal <= 1.05)\n",
        k, b, rounds, k / b);
    return 0;
}
