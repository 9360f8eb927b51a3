#include "application.h"
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
    // Owned by the window.
    new TerminationCloser(&form);
    form.show();
    app.exec();
    return 0;
}
