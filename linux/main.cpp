#include "application.h"
#include "localecodec.h"
#include "mainwindow.h"
#include "termination.h"

#include <clocale>

int main(int argc, char **argv)
{
    // The locale's character set is the history file's; the send has its own
    // (smbclient's dos charset).
    std::setlocale(LC_ALL, "");
    KvollApplication app(argc, argv);
    TfrmMain form;
    frmMain = &form;
    // kvoll [ADDRESS]: Quillbox's Reply names the sender to answer.  The
    // application object has taken Qt's own options out of argv.
    if (argc > 1)
        form.presetAddress(kvoll::fromLocale(argv[1]).value_or(QString::fromLocal8Bit(argv[1])));
    // Owned by the window.
    new TerminationCloser(&form);
    form.show();
    app.exec();
    return 0;
}
