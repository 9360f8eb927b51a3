#include "setupcheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>

namespace quillbox {

namespace {

constexpr int testparmTimeout = 10000;

bool smbdProcessRuns()
{
    const QDir proc(QStringLiteral("/proc"));
    for (const QString &entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (entry.isEmpty() || !entry.at(0).isDigit())
            continue;
        QFile comm(proc.filePath(entry) + QStringLiteral("/comm"));
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == "smbd")
            return true;
    }
    return false;
}

} // namespace

QString messageCommandLine(const QString &deliver)
{
    return QStringLiteral("message command = %1 %s '%f' '%L'").arg(deliver);
}

bool namesDeliver(const QString &messageCommand)
{
    static const QRegularExpression words(QStringLiteral("[\\s'\"]+"));
    const QStringList parts = messageCommand.split(words, Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        if (QFileInfo(part).fileName() == QLatin1String("quillbox-deliver"))
            return true;
    }
    return false;
}

bool acceptsMessages(const QString &minProtocol)
{
    static const QStringList old {QStringLiteral("CORE"), QStringLiteral("COREPLUS"),
        QStringLiteral("LANMAN1"), QStringLiteral("LANMAN2"), QStringLiteral("NT1")};
    return old.contains(minProtocol.trimmed(), Qt::CaseInsensitive);
}

QString setupProblem(const SetupFacts &facts, const QString &deliver, const QString &spool)
{
    if (!facts.sambaInstalled)
        return QStringLiteral(
            "Messages cannot arrive: Samba is not installed. Fix: sudo apt install samba");
    if (!facts.smbdRunning)
        return QStringLiteral(
            "Messages cannot arrive: smbd is not running. Fix: sudo systemctl enable --now smbd");
    if (!namesDeliver(facts.messageCommand))
        return QStringLiteral("Messages are not handed to Quillbox. Fix: in [global] of "
                              "/etc/samba/smb.conf, set: ")
            + messageCommandLine(deliver);
    if (!acceptsMessages(facts.minProtocol))
        return QStringLiteral("smbd drops every message while SMB1 is off. Fix: in [global] of "
                              "/etc/samba/smb.conf, set: server min protocol = NT1 (this turns "
                              "SMB1 on)");
    if (!facts.spoolExists) {
        const QString fix = spool == QLatin1String("/var/spool/quillbox")
            ? QStringLiteral("sudo systemd-tmpfiles --create quillbox.conf")
            : QStringLiteral("create it, writable by smbd's guest account");
        return QStringLiteral("Messages cannot be kept: the spool %1 is missing. Fix: %2")
            .arg(spool, fix);
    }
    return {};
}

SetupCheck::Probes SetupCheck::systemProbes(const QString &spool)
{
    Probes probes;
    probes.smbdRunning = smbdProcessRuns;
    probes.testparm = QStandardPaths::findExecutable(QStringLiteral("testparm"));
    if (probes.testparm.isEmpty())
        probes.testparm = QStandardPaths::findExecutable(
            QStringLiteral("testparm"), {QStringLiteral("/usr/bin"), QStringLiteral("/bin")});
    probes.spoolExists = [spool] { return QFileInfo(spool).isDir(); };
    return probes;
}

SetupCheck::SetupCheck(Probes probes, QString deliver, QString spool, QObject *parent)
    : QObject(parent), m_probes(std::move(probes)), m_deliver(std::move(deliver)),
      m_spool(std::move(spool))
{
}

SetupCheck::~SetupCheck()
{
    // Quillbox may end while testparm still runs.
    if (m_process) {
        m_process->disconnect(this);
        m_process->kill();
        m_process->waitForFinished(1000);
    }
}

void SetupCheck::start()
{
    if (running())
        return;
    m_facts = {};
    m_facts.smbdRunning = m_probes.smbdRunning();
    m_facts.spoolExists = m_probes.spoolExists();
    m_facts.sambaInstalled = !m_probes.testparm.isEmpty();
    m_questions = {QStringLiteral("message command"), QStringLiteral("server min protocol")};
    if (!m_facts.sambaInstalled) {
        m_questions.clear();
        // Told once the caller is ready for it, as with a real check.
        QMetaObject::invokeMethod(
            this, [this] { emit finished(setupProblem(m_facts, m_deliver, m_spool)); },
            Qt::QueuedConnection);
        return;
    }
    ask(m_questions.takeFirst());
}

void SetupCheck::ask(const QString &parameter)
{
    m_process = std::make_unique<QProcess>();
    m_process->setProperty("parameter", parameter);
    m_process->setStandardInputFile(QProcess::nullDevice());
    connect(m_process.get(), &QProcess::finished, this, &SetupCheck::answered);
    connect(m_process.get(), &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            answered();
    });
    m_process->start(
        m_probes.testparm, {QStringLiteral("-s"), QStringLiteral("--parameter-name=") + parameter});
    // A testparm that hangs must not keep the check open for ever.
    QTimer::singleShot(
        testparmTimeout, m_process.get(), [process = m_process.get()] { process->kill(); });
}

void SetupCheck::answered()
{
    if (!m_process)
        return;
    const QString parameter = m_process->property("parameter").toString();
    const bool started = m_process->error() != QProcess::FailedToStart;
    const QString value = started && m_process->exitStatus() == QProcess::NormalExit
        ? QString::fromLocal8Bit(m_process->readAllStandardOutput()).trimmed()
        : QString();
    // deleteLater: this runs inside one of the process's own signals.
    m_process.release()->deleteLater();
    if (!started)
        m_facts.sambaInstalled = false;
    if (parameter == QLatin1String("message command"))
        m_facts.messageCommand = value;
    else
        m_facts.minProtocol = value;
    if (started && !m_questions.isEmpty()) {
        ask(m_questions.takeFirst());
        return;
    }
    emit finished(setupProblem(m_facts, m_deliver, m_spool));
}

} // namespace quillbox
