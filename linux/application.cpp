#include "application.h"

#include <QMessageBox>

#include <exception>

KvollApplication::KvollApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Quillon"));
}

bool KvollApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        QMessageBox box(QMessageBox::Critical, QString(), reportText(QString::fromUtf8(error.what())),
                        QMessageBox::Ok, activeWindow());
        box.exec();
    }
    return true;
}

QString KvollApplication::reportText(const QString &error)
{
    if (!error.isEmpty() && error.back() > u'.')
        return error + u'.';
    return error;
}
