// Crier's run in a real X window (Xvfb with a window manager, see bench/run):
// the form, the real platform layer and a stand-in smbclient that answers at
// once, over a range of 32,768 hosts.  Prints the time at each doubling of
// the status list, so that a run that slows down as it goes shows; the
// baseline is the same run over 4,096 hosts with the status list laid out
// as Qt does by default (every line measured again for each new one).
//
// Then a book of 100 ranges of 32,767 hosts: the longest pause of the event
// loop in the first seconds after Send, and how much memory the run takes.
#include "frmmain.h"
#include "qttoolkit.h"
#include "system.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace {

struct Milestone
{
    int lines;
    double seconds;
};

double cpuSeconds()
{
    rusage self {}, children {};
    ::getrusage(RUSAGE_SELF, &self);
    ::getrusage(RUSAGE_CHILDREN, &children);
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(self.ru_utime) + seconds(self.ru_stime) + seconds(children.ru_utime)
        + seconds(children.ru_stime);
}

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

class Run
{
public:
    Run(forms::qt::Toolkit &toolkit, forms::System &system, const std::vector<std::u16string> &book)
        : m_form(toolkit, system)
    {
        auto &list = m_form.view().get<forms::ListBox>("lstNetwork");
        for (const auto &entry : book)
            list.addItem(entry);
        m_form.view().get<forms::TextBox>("txtMessage").setText(u"Benchmark");
        m_form.view().get<forms::CheckBox>("chkCount").setState(forms::CheckBox::Grayed);
        m_form.show();
        m_window = forms::qt::widgetOf(m_form.view());
        m_status = m_window->findChild<QListWidget *>(QStringLiteral("lstStatus"));
    }

    QListWidget *status() const { return m_status; }

    // Runs to "Done.", noting the time at each doubling of the lines.
    std::vector<Milestone> toTheEnd(int lines)
    {
        std::vector<Milestone> seen;
        int next = 1024;
        QElapsedTimer clock;
        clock.start();
        m_form.cmdSend_Click();
        while (m_status->count() < lines + 2) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            while (next <= lines && m_status->count() >= next) {
                seen.push_back({next, clock.elapsed() / 1000.0});
                next *= 2;
            }
        }
        if (seen.empty() || seen.back().lines != lines)
            seen.push_back({lines, clock.elapsed() / 1000.0});
        return seen;
    }

    // The longest pause of the event loop in the first seconds after Send.
    double longestPauseMs(int seconds)
    {
        QElapsedTimer clock, since;
        double longest = 0;
        QTimer beat;
        beat.setInterval(10);
        QObject::connect(&beat, &QTimer::timeout, [&] {
            longest = std::max(longest, double(since.nsecsElapsed()) / 1e6);
            since.restart();
        });
        since.start();
        beat.start();
        clock.start();
        m_form.cmdSend_Click();
        longest = std::max(longest, double(since.nsecsElapsed()) / 1e6);
        since.restart();
        while (clock.elapsed() < seconds * 1000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        return longest;
    }

    void close() { m_window->close(); }

private:
    crier::FrmMain m_form;
    QWidget *m_window = nullptr;
    QListWidget *m_status = nullptr;
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "bench_visible needs an X display (bench/run starts Xvfb)\n");
        return 0;
    }
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("CrierBench"));
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    // The stand-in: a program that ends at once with 0, as a receiver that
    // answers at once makes smbclient do.
    QFile::link(QStringLiteral("/bin/true"), home.filePath(QStringLiteral("smbclient")));
    qputenv("PATH", home.path().toLocal8Bit());

    forms::qt::Toolkit toolkit;
    forms::System system;
    // Names: they go straight to the stand-in.
    const std::u16string wholeRange = u"PC.0-PC.32767";

    {
        Run run(toolkit, system, {u"PC.0-PC.4095"});
        run.status()->setUniformItemSizes(false);
        run.status()->setLayoutMode(QListView::SinglePass);
        const double cpu = cpuSeconds();
        const auto seen = run.toTheEnd(4096);
        std::printf("visible window, status list laid out per line (Qt's default): "
                    "4,096 hosts in %.1f s (%.0f hosts/s), %.1f s of CPU\n",
            seen.back().seconds, 4096 / seen.back().seconds, cpuSeconds() - cpu);
        run.close();
    }
    {
        Run run(toolkit, system, {wholeRange});
        const double cpu = cpuSeconds();
        const auto seen = run.toTheEnd(32768);
        double before = 0;
        int linesBefore = 0;
        for (const Milestone &m : seen) {
            std::printf("visible window: %6d hosts at %5.1f s (%4.0f hosts/s since the last)\n",
                m.lines, m.seconds, (m.lines - linesBefore) / (m.seconds - before));
            before = m.seconds;
            linesBefore = m.lines;
        }
        std::printf("visible window: 32,768 hosts in %.1f s, %.1f s of CPU\n", seen.back().seconds,
            cpuSeconds() - cpu);
        run.close();
    }
    {
        std::vector<std::u16string> book(100, u"PC.1-PC.32767");
        const long before = residentKiB();
        Run run(toolkit, system, book);
        const double pause = run.longestPauseMs(3);
        std::printf("100 ranges of 32,767 hosts: longest pause of the window %.0f ms in the "
                    "first 3 s; memory %+.1f MB; %d hosts done by then\n",
            pause, (residentKiB() - before) / 1024.0, run.status()->count());
        run.close();
    }
    return 0;
}
