// A stand-in smbclient for unit tests: a shell script, first on PATH, that
// records its arguments and standard input and ends as it is told.  The real
// smbclient is never reached: PATH holds only the script's folder (the script
// names the one tool it needs by its full path).
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

class FakeSmbclient
{
public:
    FakeSmbclient() : m_oldPath(qgetenv("PATH"))
    {
        QFile script(m_dir.filePath(QStringLiteral("smbclient")));
        script.open(QIODevice::WriteOnly);
        script.write("#!/bin/sh\n"
                     "d=\"$FAKE_SMBCLIENT_DIR\"\n"
                     "printf '%s\\n' \"$@\" > \"$d/argv\"\n"
                     "/bin/cat > \"$d/stdin\"\n"
                     "echo 'Type your message, ending it with a Control-D'\n"
                     "if [ -s \"$d/stderr\" ]; then /bin/cat \"$d/stderr\" >&2; fi\n"
                     "if [ -s \"$d/signal\" ]; then kill -\"$(/bin/cat \"$d/signal\")\" $$; fi\n"
                     "exit \"$(/bin/cat \"$d/exit\" 2>/dev/null || echo 0)\"\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                              | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther
                              | QFile::ExeOther);
        qputenv("FAKE_SMBCLIENT_DIR", m_dir.path().toLocal8Bit());
        usePath(m_dir.path());
    }
    ~FakeSmbclient() { qputenv("PATH", m_oldPath); }

    FakeSmbclient(const FakeSmbclient &) = delete;
    FakeSmbclient &operator=(const FakeSmbclient &) = delete;

    // How the next run ends: exit code, a line on standard error, a signal.
    void exitWith(int code) { write("exit", QByteArray::number(code)); }
    void writeToStderr(const QByteArray &line) { write("stderr", line + '\n'); }
    void killWith(int signal) { write("signal", QByteArray::number(signal)); }

    bool ran() const { return QFile::exists(m_dir.filePath(QStringLiteral("argv"))); }
    QStringList arguments() const
    {
        QString text = QString::fromUtf8(read("argv"));
        text.chop(1);
        return text.split(u'\n');
    }
    QByteArray standardInput() const { return read("stdin"); }
    void forget() { QFile::remove(m_dir.filePath(QStringLiteral("argv"))); }

    // Makes smbclient unreachable: PATH names only an empty folder.
    void hide() { usePath(m_empty.path()); }
    QString folder() const { return m_dir.path(); }

private:
    void usePath(const QString &path) { qputenv("PATH", path.toLocal8Bit()); }
    void write(const char *name, const QByteArray &data)
    {
        QFile file(m_dir.filePath(QString::fromLatin1(name)));
        file.open(QIODevice::WriteOnly);
        file.write(data);
    }
    QByteArray read(const char *name) const
    {
        QFile file(m_dir.filePath(QString::fromLatin1(name)));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QByteArray m_oldPath;
    QTemporaryDir m_dir;
    QTemporaryDir m_empty;
};
