// A broadcast run of Crier over a large address book, with a send routine
// that answers at once: what the tool itself costs per host.  The run goes
// through the real form and the Qt toolkit (offscreen), pending events
// included; the baseline is filling a bare list widget with the same status
// lines.
#include "faketoolkit.h"
#include "frmmain.h"
#include "qttoolkit.h"
#include "rangeexpansion.h"
#include "stats.h"
#include "system.h"

#include <QApplication>
#include <QListWidget>
#include <QTemporaryDir>

#include <atomic>
#include <cstdio>
#include <string>

namespace {

class InstantSystem : public forms::System
{
public:
    SendResult sendMessage(const std::u16string &, const std::u16string &, std::stop_token) override
    {
        ++sends;
        return {SendOutcome::Delivered, {}};
    }
    std::u16string computerName() override { return u"BENCH"; }
    std::u16string programFolder() override { return folder; }

    std::u16string folder;
    std::atomic<long> sends = 0;
};

std::u16string rangeEntry(int block)
{
    const std::string prefix = "10.0." + std::to_string(block) + ".";
    const std::string entry = prefix + "0-" + prefix + "255";
    return std::u16string(entry.begin(), entry.end());
}

// One run over a book of `ranges` ranges of 256 hosts; milliseconds.
double runOnce(forms::Toolkit &toolkit, InstantSystem &system, int ranges)
{
    crier::FrmMain form(toolkit, system);
    auto &book = form.view().get<forms::ListBox>("lstNetwork");
    for (int block = 0; block < ranges; ++block)
        book.addItem(rangeEntry(block));
    form.view().get<forms::TextBox>("txtMessage").setText(u"Benchmark");
    // Greyed: neither the closing box nor the countdown.
    form.view().get<forms::CheckBox>("chkCount").setState(forms::CheckBox::Grayed);
    const auto start = std::chrono::steady_clock::now();
    form.cmdSend_Click();
    const double elapsed = millisecondsSince(start);
    if (form.view().get<forms::ListBox>("lstStatus").count() != ranges * 256 + 2)
        std::fprintf(stderr, "unexpected status list\n");
    return elapsed;
}

double expansionOnce(int ranges)
{
    const auto start = std::chrono::steady_clock::now();
    std::size_t hosts = 0;
    for (int block = 0; block < ranges; ++block)
        hosts += crier::expandEntry(rangeEntry(block)).hosts.size();
    const double elapsed = millisecondsSince(start);
    if (hosts != std::size_t(ranges) * 256)
        std::fprintf(stderr, "unexpected host count\n");
    return elapsed;
}

double fillOnce(int ranges)
{
    QListWidget list;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < ranges * 256; ++i)
        list.addItem(QStringLiteral("10.0.%1.%2 - OK").arg(i / 256).arg(i % 256));
    list.addItem(QString());
    list.addItem(QStringLiteral("Done."));
    return millisecondsSince(start);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir folder;
    InstantSystem system;
    system.folder = folder.path().toStdU16String();
    forms::qt::Toolkit qtToolkit;
    fakes::Toolkit plainToolkit;

    for (const int ranges : {10, 100}) {
        const int hosts = ranges * 256;
        std::vector<double> qtRuns, plainRuns, expansions, fills;
        for (int i = 0; i < 5; ++i) {
            qtRuns.push_back(runOnce(qtToolkit, system, ranges));
            plainRuns.push_back(runOnce(plainToolkit, system, ranges));
            expansions.push_back(expansionOnce(ranges));
            fills.push_back(fillOnce(ranges));
        }
        const double run = median(qtRuns);
        const double fill = median(fills);
        std::printf("broadcast: %d ranges, %d hosts: run %.1f ms = %.2f us/host (Qt windows); "
                    "%.2f us/host without windows; expansion %.2f us/host\n",
            ranges, hosts, run, 1000 * run / hosts, 1000 * median(plainRuns) / hosts,
            1000 * median(expansions) / hosts);
        std::printf("           status list filled alone %.1f ms = %.2f us/host; "
                    "run / fill ratio %.2f (median of 5)\n",
            fill, 1000 * fill / hosts, run / fill);
    }
    return 0;
}
