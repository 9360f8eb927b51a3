#include "termination.h"

#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QWidget>

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace {

// The handler only writes one byte into this pipe (write() is
// async-signal-safe); the event loop reads it and does the work.
int pipeEnds[2] = {-1, -1};

constexpr int caught[] = {SIGTERM, SIGHUP};

extern "C" void onTerminationSignal(int signalNumber)
{
    const int savedErrno = errno;
    const char byte = static_cast<char>(signalNumber);
    // A full pipe already holds a wake-up: nothing is lost.
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

TerminationCloser::TerminationCloser(QWidget *window) : QObject(window), m_window(window)
{
    // Non-blocking, so neither the handler nor the reader can hang; closed on
    // exec, so smbclient does not inherit them.
    if (pipeEnds[0] < 0 && ::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;

    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted reads and waits (the send waits for smbclient) go on.
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : caught)
        ::sigaction(signalNumber, &action, nullptr);

    m_notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationCloser::signalled);
}

TerminationCloser::~TerminationCloser()
{
    if (!m_notifier)
        return;
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int signalNumber : caught)
        ::sigaction(signalNumber, &action, nullptr);
}

void TerminationCloser::signalled()
{
    char bytes[64];
    while (::read(pipeEnds[0], bytes, sizeof bytes) > 0) { }
    // A box that is open (a send's outcome, a warning) goes first: the
    // program is to end, not to wait for an answer.  The window's own close
    // may still show one; a further signal closes that one too.
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget != m_window && widget->isVisible() && qobject_cast<QMessageBox *>(widget))
            widget->close();
    }
    m_window->close();
}
