// Starts Quillbox as its main() does, from the menu (window at once), and
// prints at its first paint the milliseconds since the parent started this
// process (QUILLON_BENCH_START, steady clock in ns).  The spool and the
// store come from QUILLBOX_SPOOL and XDG_DATA_HOME.
#include "firstpaint.h"
#include "frmquillbox.h"
#include "program.h"

#include <QApplication>

#include <clocale>

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
