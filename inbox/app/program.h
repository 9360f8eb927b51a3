// Quillbox as it runs: the inbox, the window, the spool watch, the set-up
// check, the desktop announcement and the tray icon, wired together.
#pragma once

#include "inbox.h"
#include "setupcheck.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class QSystemTrayIcon;
class TfrmQuillbox;

namespace quillbox {

class DesktopNotifier;
class SpoolWatcher;

struct ProgramOptions
{
    std::string spool = spoolPath();
    std::string store = Store::defaultFolder();
    SetupCheck::Probes probes = SetupCheck::systemProbes(QString::fromStdString(spool));
    // What the set-up line tells to put into smb.conf.
    QString deliver = QString::fromLatin1(packagedDeliver);
    QDBusConnection bus = QDBusConnection::sessionBus();
    bool tray = true;
    // How long after a change of the store its index is written.
    int indexDelay = 3000;
};

// The icon with the number of unread messages on it.
QIcon iconWithCount(int unread);

class Program : public QObject
{
    Q_OBJECT
public:
    explicit Program(ProgramOptions options, QObject *parent = nullptr);
    ~Program() override;

    // Loads the store and the spool.  In the background the window stays
    // hidden until a message needs showing.
    void start(bool background);

    TfrmQuillbox *window() const { return m_window.get(); }
    Inbox &inbox() { return m_inbox; }

public slots:
    // Shows the window (a second start from the menu asks for this).
    void showWindow();

private:
    void spoolChanged();
    void unreadChanged(int unread);
    void announce(const std::vector<std::string> &names);
    void passNotices();
    // Writes the store's index once the store has been still for a while.
    void indexLater();
    void writeIndex();

    ProgramOptions m_options;
    Inbox m_inbox;
    std::unique_ptr<TfrmQuillbox> m_window;
    SpoolWatcher *m_watcher = nullptr;
    SetupCheck *m_setup = nullptr;
    DesktopNotifier *m_notifier = nullptr;
    QSystemTrayIcon *m_tray = nullptr;
    QTimer m_indexTimer;
};

} // namespace quillbox
