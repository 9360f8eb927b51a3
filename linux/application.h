// The application object of kvoll.  An error that escapes an event handler is
// shown in a critical message box, and the program goes on.
#pragma once

#include <QApplication>

class KvollApplication : public QApplication
{
    Q_OBJECT
public:
    KvollApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

    // The general error report: a critical box over the active window.
    static void showErrorReport(const QString &error);

    // The text of the error box: a period is added unless the text already
    // ends in a character that sorts at or before it (".", "!", ")" ...).
    static QString reportText(const QString &error);
};
