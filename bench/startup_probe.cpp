// Starts a window and prints, at its first paint, the milliseconds since the
// parent started this process (QUILLON_BENCH_START, steady clock in ns).
#ifdef PROBE_KVOLL
#include "application.h"
#include "mainwindow.h"
#endif

#include "firstpaint.h"

#include <QApplication>
#include <QLabel>
#include <QWidget>

#include <clocale>

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
