// A new record on screen: from its rename into the spool until Quillbox's
// window has painted it, offscreen, median and worst of 100.  The baseline,
// measured alike in the same run, is the least any program can do: a
// QFileSystemWatcher on the folder that sets a label and paints it.
#include "frmquillbox.h"
#include "program.h"
#include "record.h"
#include "stats.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QTemporaryDir>

#include <clocale>
#include <cstdio>

namespace {

// Notes the first paint of a window's widgets after arm().
class PaintWatch : public QObject
{
public:
    explicit PaintWatch(QWidget *window) : m_window(window) { qApp->installEventFilter(this); }
    void arm() { m_painted = false; }
    bool painted() const { return m_painted; }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType()
            && static_cast<QWidget *>(watched)->window() == m_window)
            m_painted = true;
        return false;
    }

private:
    QWidget *m_window;
    bool m_painted = true;
};

std::string writeHidden(const QString &spool, int i)
{
    const std::string name = record::recordName(1796761440 + i, 0, 1);
    QFile file(spool + QStringLiteral("/.new"));
    const std::string bytes
        = record::format({"PC01", "OFFICE", 1796761440 + i, "message " + std::to_string(i)});
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes.data(), qint64(bytes.size()));
    return name;
}

// Renames the next record into the spool and waits until done() is true and
// the window has painted since.  Milliseconds.
double arrival(const QString &spool, int i, PaintWatch &watch, const std::function<bool()> &done)
{
    const std::string name = writeHidden(spool, i);
    watch.arm();
    const auto start = std::chrono::steady_clock::now();
    QFile::rename(spool + QStringLiteral("/.new"), spool + u'/' + QString::fromStdString(name));
    while (!(done() && watch.painted())) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 1000);
        if (millisecondsSince(start) > 5000)
            return -1;
    }
    return millisecondsSince(start);
}

} // namespace

int main(int argc, char **argv)
{
    std::setlocale(LC_ALL, "C.UTF-8");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString spool = dir.filePath(QStringLiteral("spool"));
    const QString bare = dir.filePath(QStringLiteral("bare"));
    QDir().mkdir(spool);
    QDir().mkdir(bare);

    quillbox::ProgramOptions options;
    options.spool = QFile::encodeName(spool).toStdString();
    options.store = QFile::encodeName(dir.filePath(QStringLiteral("store"))).toStdString();
    options.probes.smbdRunning = [] { return true; };
    options.probes.spoolExists = [] { return true; };
    options.bus = QDBusConnection(QStringLiteral("no bus"));
    options.tray = false;
    quillbox::Program program(options);
    program.start(false);
    PaintWatch quillboxPaint(program.window());

    QLabel label;
    label.resize(300, 40);
    label.show();
    QFileSystemWatcher watcher({bare});
    int seen = 0;
    QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, &label, [&] {
        const int count = int(QDir(bare).entryList(QDir::Files).size());
        if (count != seen) {
            seen = count;
            label.setText(QString::number(count));
        }
    });
    PaintWatch labelPaint(&label);
    QCoreApplication::processEvents();

    const int rounds = 100;
    std::vector<double> quillbox, baseline;
    for (int i = 0; i < rounds; ++i) {
        const double q = arrival(spool, i, quillboxPaint, [&] {
            return program.window()->current() == program.inbox().count() - 1
                && program.inbox().count() == i + 1;
        });
        const double b = arrival(bare, i, labelPaint, [&] { return seen == i + 1; });
        if (q < 0 || b < 0) {
            std::printf("arrival: a record was not shown within 5 s\n");
            return 1;
        }
        quillbox.push_back(q);
        baseline.push_back(b);
    }
    const double worst = *std::max_element(quillbox.begin(), quillbox.end());
    std::printf("arrival on screen: Quillbox %.2f ms, worst %.2f ms (goal <= 200 ms); a watched "
                "folder painting a label %.2f ms (median of %d), ratio %.2f\n",
        median(quillbox), worst, median(baseline), rounds, median(quillbox) / median(baseline));
    return 0;
}
