// Crier on Linux: the forms with their windows drawn by Qt.
#include "frmmain.h"
#include "qttoolkit.h"
#include "system.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // The name picks the settings folder (~/.config/Crier).  No display name
    // is set: Qt would append it to every caption.
    QCoreApplication::setApplicationName(QStringLiteral("Crier"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/crier.png")));

    forms::qt::Toolkit toolkit;
    forms::System system;
    crier::FrmMain frmMain(toolkit, system);
    frmMain.show();
    return app.exec();
}
