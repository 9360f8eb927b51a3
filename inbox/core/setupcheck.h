// Whether this machine can receive messages: Samba installed, smbd
// running, its message command handing messages to quillbox-deliver, SMB1
// on, the spool there.  The first thing missing is told in one line with
// its fix.
#pragma once

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace quillbox {

inline constexpr const char *packagedDeliver = "/usr/libexec/quillon/quillbox-deliver";

struct SetupFacts
{
    bool sambaInstalled = true; // testparm could be run
    bool smbdRunning = true;
    QString messageCommand; // the effective one, as testparm prints it
    QString minProtocol; // "server min protocol", as testparm prints it
    bool spoolExists = true;
};

// The smb.conf line that hands messages to deliver.
QString messageCommandLine(const QString &deliver);
// Whether a message command runs quillbox-deliver.
bool namesDeliver(const QString &messageCommand);
// Whether smbd accepts the old message protocol at this minimum.
bool acceptsMessages(const QString &minProtocol);
// The one line that says what is missing and how to fix it, or an empty
// string when nothing is.
QString setupProblem(const SetupFacts &facts, const QString &deliver, const QString &spool);

// Gathers the facts without blocking: testparm runs as a child process.
class SetupCheck : public QObject
{
    Q_OBJECT
public:
    struct Probes
    {
        std::function<bool()> smbdRunning; // whether an smbd process runs
        QString testparm; // the program that prints smb.conf's effective values
        std::function<bool()> spoolExists;
    };
    // The probes of this machine: /proc, testparm on the PATH or in
    // /usr/bin, the spool in use.
    static Probes systemProbes(const QString &spool);

    SetupCheck(Probes probes, QString deliver, QString spool, QObject *parent = nullptr);
    ~SetupCheck() override;

    // Starts a check; finished() follows.  A check under way is not started
    // again.
    void start();
    bool running() const { return m_process != nullptr; }

signals:
    void finished(const QString &problem);

private:
    void ask(const QString &parameter);
    void answered();

    Probes m_probes;
    QString m_deliver;
    QString m_spool;
    SetupFacts m_facts;
    QStringList m_questions;
    std::unique_ptr<QProcess> m_process;
};

} // namespace quillbox
