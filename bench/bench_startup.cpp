// Process start to first paint: kvoll's window with a 10,000-entry history
// against minimal Qt windows, all on the offscreen platform.  The baseline is
// a window with one label: loading the font database is the largest single
// cost of any window that shows text.  The bare QWidget, which never loads a
// font, is printed beside it.
#include "history.h"
#include "startup.h"
#include "stats.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

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
    timeToFirstPaint(here + "bench_kvoll_window"); // warm the file cache
    for (int i = 0; i < rounds; ++i) {
        kvoll.push_back(timeToFirstPaint(here + "bench_kvoll_window"));
        label.push_back(timeToFirstPaint(here + "bench_label_window"));
        bare.push_back(timeToFirstPaint(here + "bench_minimal_window"));
    }
    const double k = median(kvoll), l = median(label), b = median(bare);
    std::printf(
        "start-up: kvoll with 10,000 history entries %.1f ms, minimal Qt window with a label %.1f "
        "ms "
        "(median of %d), ratio %.3f (goal <= 1.3); bare QWidget without text %.1f ms, ratio %.3f\n",
        k, l, rounds, k / l, b, k / b);
    return 0;
}
