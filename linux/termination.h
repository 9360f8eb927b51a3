// SIGTERM and SIGHUP (logout, shutdown, a closed terminal) close kvoll's
// window the ordinary way, so that the history is saved as at any close.
#pragma once

#include <QObject>

class QSocketNotifier;
class QWidget;

class TerminationCloser : public QObject
{
    Q_OBJECT
public:
    // Catches the signals from now on; each one closes the message boxes
    // that are open, then window.  The window must outlive this object.
    explicit TerminationCloser(QWidget *window);
    ~TerminationCloser() override;

    // False when the signals could not be caught: they then end the program
    // as they would by default.
    bool isActive() const { return m_notifier != nullptr; }

private:
    void signalled();

    QWidget *m_window;
    QSocketNotifier *m_notifier = nullptr;
};
