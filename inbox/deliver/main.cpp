#include "deliver.h"

#include <cstdlib>
#include <ctime>
#include <string>

#include <unistd.h>

int main(int argc, char **argv)
{
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const deliver::Result result = deliver::run(argc - 1, argv + 1, std::getenv("QUILLBOX_SPOOL"),
        {now.tv_sec, now.tv_nsec}, long(::getpid()));
    if (!result.note.empty()) {
        const std::string line = "quillbox-deliver: " + result.note + '\n';
        [[maybe_unused]] const ssize_t written = ::write(2, line.data(), line.size());
    }
    return result.status;
}
