// kvoll's history file: the text cut into entries, and the file loaded,
// saved and loaded again.  Runs in the C.UTF-8 locale, so that the bytes
// are read as UTF-8 and invalid sequences are refused.
#include "fuzzcheck.h"
#include "history.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <clocale>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace {

QByteArray historyPath;

void writeFile(const QByteArray &path, const std::uint8_t *data, std::size_t size)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    FUZZ_CHECK(fd >= 0);
    FUZZ_CHECK(::write(fd, data, size) == static_cast<ssize_t>(size));
    ::close(fd);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    std::setlocale(LC_ALL, "C.UTF-8");
    // A folder in memory when there is one: every save syncs the file.
    const char *tmp = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : std::getenv("TMPDIR");
    std::string folder = std::string(tmp ? tmp : "/tmp") + "/quillon-fuzz-history.XXXXXX";
    FUZZ_CHECK(::mkdtemp(folder.data()) != nullptr);
    historyPath = QByteArray::fromStdString(folder) + "/.kvoll";
    // Cleaned up at exit, which libFuzzer reaches through exit() after its
    // time is up.
    static const std::string cleanup = folder;
    std::atexit([] {
        ::unlink((cleanup + "/.kvoll").c_str());
        ::rmdir(cleanup.c_str());
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace kvoll::history;

    // parse, serialize, parse: the entries stay as they were.
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList entries = parse(text);
    for (const QString &entry : entries)
        FUZZ_CHECK(!entry.contains(u'\n') && !entry.contains(u'\r'));
    FUZZ_CHECK(parse(serialize(entries)) == entries);

    // load, save, load: the same entries, and the saved file is what
    // serialize gives.
    writeFile(historyPath, data, size);
    const LoadResult first = load(historyPath);
    FUZZ_CHECK(first.status != LoadStatus::Missing);
    if (first.status != LoadStatus::Loaded)
        return 0;
    FUZZ_CHECK(save(historyPath, first.entries).ok());
    const LoadResult second = load(historyPath);
    FUZZ_CHECK(second.status == LoadStatus::Loaded);
    FUZZ_CHECK(second.entries == first.entries);
    return 0;
}
