// Load and save of a 100,000-entry history file.
#include "history.h"
#include "stats.h"

#include <QFile>
#include <QTemporaryDir>

#include <clocale>
#include <cstdio>

int main()
{
    std::setlocale(LC_ALL, "C.UTF-8");
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath(".kvoll"));
    QStringList entries;
    for (int i = 0; i < 100000; ++i)
        entries.append(QStringLiteral("workstation-%1.example").arg(i));

    std::vector<double> saves, loads;
    for (int i = 0; i < 7; ++i) {
        auto start = std::chrono::steady_clock::now();
        if (!kvoll::history::save(path, entries).ok())
            return 1;
        saves.push_back(millisecondsSince(start));
        start = std::chrono::steady_clock::now();
        if (kvoll::history::load(path).entries.size() != entries.size())
            return 1;
        loads.push_back(millisecondsSince(start));
    }
    std::printf("history: 100,000 entries (%lld bytes): load %.1f ms, save %.1f ms (median of 7)\n",
        static_cast<long long>(QFile(dir.filePath(".kvoll")).size()), median(loads), median(saves));
    return 0;
}
