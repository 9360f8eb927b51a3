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
        showErrorReport(QString::fromUtf8(error.what()));
    }
    return true;
}

void KvollApplication::showErrorReport(const QString &error)
{
    QMessageBox box(
        QMessageBox::Critical, QString(), reportText(error), QMessageBox::Ok, activeWindow());
    box.exec();
}

QString KvollApplication::reportText(const QString &error)
{
    if (!error.isEmpty() && error.back() > u'.')
        return error + u'.';
    return error;
}
