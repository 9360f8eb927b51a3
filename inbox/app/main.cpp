// Quillbox [--background]
// From the menu it shows its window at once; from the session's autostart
// (--background) it waits until a message needs showing.  One runs per
// session: a second start asks the first to show its window, over D-Bus.
#include "program.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QFileInfo>
#include <QIcon>

#include <clocale>

namespace {

const QString serviceName = QStringLiteral("org.quillon.Quillbox");
const QString objectPath = QStringLiteral("/org/quillon/Quillbox");

} // namespace

int main(int argc, char **argv)
{
    std::setlocale(LC_ALL, "");
    Q_INIT_RESOURCE(quillbox);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillbox"));
    QApplication::setDesktopFileName(QStringLiteral("quillbox"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quillbox/quillbox.png")));
    // Closing the window leaves Quillbox watching for the next message.
    QApplication::setQuitOnLastWindowClosed(false);
    const bool background = QApplication::arguments().contains(QStringLiteral("--background"));

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected() && !bus.registerService(serviceName)) {
        if (!background)
            bus.call(QDBusMessage::createMethodCall(
                         serviceName, objectPath, serviceName, QStringLiteral("showWindow")),
                QDBus::Block, 5000);
        return 0;
    }

    quillbox::ProgramOptions options;
    // The deliver command of this installation, when it is there.
    const QString beside = QApplication::applicationDirPath()
        + QStringLiteral("/../libexec/quillon/quillbox-deliver");
    if (QFileInfo(beside).isExecutable())
        options.deliver = QFileInfo(beside).canonicalFilePath();
    quillbox::Program program(options);
    if (bus.isConnected())
        bus.registerObject(objectPath, serviceName, &program, QDBusConnection::ExportAllSlots);
    program.start(background);
    return app.exec();
}
