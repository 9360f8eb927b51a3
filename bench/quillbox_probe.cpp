// Starts Quillbox as its main() does, from the menu (window at once), and
// prints at its first paint the milliseconds since the parent started this
// process (QUILLBOX_BENCH_START, steady clock in ns).  The spool and the
// store come from QUILLBOX_SPOOL and XDG_DATA_HOME.
#include "frmquillbox.h"
#include "program.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>

namespace {

class FirstPaint : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType()
            && static_cast<QWidget *>(watched)->isWindow() && !m_done) {
            m_done = true;
            const auto now = std::chrono::steady_clock::now().time_since_epoch();
            const long long start = std::atoll(std::getenv("QUILLBOX_BENCH_START"));
            std::printf("%.3f\n",
                double(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count() - start)
                    / 1e6);
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }

private:
    bool m_done = false;
};

} // namespace

int main(int argc, char **argv)
{
    std::setlocale(LC_ALL, "");
    Q_INIT_RESOURCE(quillbox);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillbox"));
    QApplication::setQuitOnLastWindowClosed(false);
    FirstPaint probe;
    app.installEventFilter(&probe);
    quillbox::Program program {quillbox::ProgramOptions()};
    program.start(false);
    return app.exec();
}
