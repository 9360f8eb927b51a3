// Quillpost on Linux: the form with its window drawn by Qt.
#include "frmmain.h"
#include "qttoolkit.h"
#include "system.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // The name picks the settings folder (~/.config/Quillpost).  No display
    // name is set: Qt would append it to every caption.
    QCoreApplication::setApplicationName(QStringLiteral("Quillpost"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/quillpost.png")));

    forms::qt::Toolkit toolkit;
    forms::System system;
    quillpost::FrmMain frmMain(toolkit, system);
    frmMain.show();
    return app.exec();
}
