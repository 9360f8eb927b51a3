#include "application.h"
#include "mainwindow.h"

#include <clocale>

int main(int argc, char **argv)
{
    // The locale's character set governs every conversion of the send and the
    // history file.
    std::setlocale(LC_ALL, "");
    KvollApplication app(argc, argv);
    TfrmMain form;
    frmMain = &form;
    form.show();
    app.exec();
    return 0;
}
