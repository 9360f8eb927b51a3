// A broadcast run of Crier over a large address book, with a send routine
// that answers at once: what the tool itself costs per host.  The run goes
// through the real form, its worker threads and the Qt toolkit (offscreen),
// one send at a time and with the default number at once; the baseline is
// filling a bare list widget with the same status lines.
#include "faketoolkit.h"
#include "frmmain.h"
#include "qttoolkit.h"
#include "rangeexpansion.h"
#include "stats.h"
#include "system.h"

#include <QApplication>
#include <QFile>
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

void writeParallel(const InstantSystem &system, int parallel)
{
    QFile settings(QString::fromStdU16String(system.folder) + QStringLiteral("/ZK.INI"));
    settings.open(QIODevice::WriteOnly);
    settings.write("[Options]\nParallel=" + QByteArray::number(parallel) + "\n");
}

std::u16string rangeEntry(int block)
{
    const std::string prefix = "10.0." + std::to_string(block) + ".";
    const std::string entry = prefix + "0-" + prefix + "255";
    return std::u16string(entry.begin(), entry.end());
}

// One run over a book of `ranges` ranges of 256 hosts, `parallel` sends at
// once; milliseconds from Send to "Done.".
double runOnce(forms::Toolkit &toolkit, InstantSystem &system, int ranges, int parallel)
{
    writeParallel(system, parallel);
    crier::FrmMain form(toolkit, system);
    auto &book = form.view().get<forms::ListBox>("lstNetwork");
    for (int block = 0; block < ranges; ++block)
        book.addItem(rangeEntry(block));
    form.view().get<forms::TextBox>("txtMessage").setText(u"Benchmark");
    // Greyed: neither the closing box nor the countdown.
    form.view().get<forms::CheckBox>("chkCount").setState(forms::CheckBox::Grayed);
    auto &status = form.view().get<forms::ListBox>("lstStatus");
    const int lines = ranges * 256 + 2;
    auto *fake = dynamic_cast<fakes::Toolkit *>(&toolkit);
    const auto start = std::chrono::steady_clock::now();
    form.cmdSend_Click();
    // The results come back through the event loop.
    while (status.count() < lines) {
        if (fake) {
            fake->waitForPosted(std::chrono::seconds(10));
            fake->runPosted();
        } else {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
    }
    const double elapsed = millisecondsSince(start);
    if (status.item(lines - 1) != u"Done.")
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
        std::vector<double> qtOne, qtMany, plainMany, expansions, fills;
        for (int i = 0; i < 5; ++i) {
            qtOne.push_back(runOnce(qtToolkit, system, ranges, 1));
            qtMany.push_back(runOnce(qtToolkit, system, ranges, crier::FrmMain::defaultParallel));
            plainMany.push_back(
                runOnce(plainToolkit, system, ranges, crier::FrmMain::defaultParallel));
            expansions.push_back(expansionOnce(ranges));
            fills.push_back(fillOnce(ranges));
        }
        const double fill = median(fills);
        const double many = median(qtMany);
        std::printf("broadcast: %d ranges, %d hosts: %.2f us/host with %d sends at once, "
                    "%.2f us/host one at a time (Qt windows); %.2f us/host without windows; "
                    "expansion %.2f us/host\n",
            ranges, hosts, 1000 * many / hosts, crier::FrmMain::defaultParallel,
            1000 * median(qtOne) / hosts, 1000 * median(plainMany) / hosts,
            1000 * median(expansions) / hosts);
        std::printf("           status list filled alone %.1f ms = %.2f us/host; "
                    "run / fill ratio %.2f (median of 5)\n",
            fill, 1000 * fill / hosts, many / fill);
    }
    return 0;
}
