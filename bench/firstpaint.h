// The probe's side of timeToFirstPaint (startup.h): installed on the
// application, it prints the milliseconds since QUILLON_BENCH_START at the
// first paint of a window, then quits.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <cstdlib>

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
