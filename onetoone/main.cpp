// Quillpost: sends one message to one user or computer of a Windows network.
#include "frmmain.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // The name picks the settings folder on Linux.  No display name is set:
    // Qt would append it to every caption.
    QCoreApplication::setApplicationName(QStringLiteral("Quillpost"));
#ifndef Q_OS_WIN
    // On Windows the windows take the icon from the executable's resources.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quillpost/quillpost.png")));
#endif

    FrmMain window;
    window.show();
    return app.exec();
}
