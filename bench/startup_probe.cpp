// Starts a window and prints, at its first paint, the milliseconds since the
// parent started this process (QUILLON_BENCH_START, steady clock in ns).
#ifdef PROBE_KVOLL
#include "application.h"
#include "mainwindow.h"
#endif

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QTimer>
#include <QWidget>

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
            const long long start = std::atoll(std::getenv("QUILLON_BENCH_START"));
            std::printf("%.3f\n",
                (std::chrono::duration_cast<std::chrono::nanoseconds>(now).count() - start) / 1e6);
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
#ifdef PROBE_KVOLL
    KvollApplication app(argc, argv);
    FirstPaint probe;
    app.installEventFilter(&probe);
    TfrmMain window;
#else
    QApplication app(argc, argv);
    FirstPaint probe;
    app.installEventFilter(&probe);
    QWidget window;
    window.setFixedSize(291, 383);
#ifdef PROBE_LABEL
    QLabel label(QStringLiteral("Message:"), &window);
#endif
#endif
    window.show();
    return app.exec();
}
