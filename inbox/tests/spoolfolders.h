// A spool and a user's store in a temporary folder, and records put into
// the spool the way quillbox-deliver puts them there.
#pragma once

#include "record.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <string>

#include <unistd.h>

class SpoolFolders
{
public:
    SpoolFolders()
    {
        QDir(m_dir.path()).mkdir(QStringLiteral("spool"));
        // A spool that the guest account may write, as the package makes it;
        // the store's parent must be reachable by whoever the test acts as.
        QFile::setPermissions(m_dir.path(),
            QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
                | QFile::ExeOther);
    }

    QString spool() const { return m_dir.filePath(QStringLiteral("spool")); }
    QString store() const { return m_dir.filePath(QStringLiteral("store")); }
    QString path() const { return m_dir.path(); }
    std::string spoolPath() const { return QFile::encodeName(spool()).toStdString(); }
    std::string storePath() const { return QFile::encodeName(store()).toStdString(); }

    // Writes a record under its name, with a hidden name first as the
    // deliver command does; returns the name.
    std::string put(const std::string &sender, const std::string &text,
        std::int64_t received = 1796761440, long nanoseconds = -1)
    {
        const long ns = nanoseconds >= 0 ? nanoseconds : m_next++;
        const std::string name = record::recordName(received, ns, long(::getpid()));
        putBytes(name, record::format({sender, "OFFICE", received, text}));
        return name;
    }

    void putBytes(const std::string &name, const std::string &bytes)
    {
        const QString hidden = spool() + QStringLiteral("/.new");
        QFile file(hidden);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes.data(), qint64(bytes.size()));
        file.close();
        QFile::rename(hidden, spool() + u'/' + QString::fromStdString(name));
    }

    QString storedMessage(const std::string &name) const
    {
        return store() + QStringLiteral("/messages/") + QString::fromStdString(name);
    }

    QByteArray read(const QString &path) const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

private:
    QTemporaryDir m_dir;
    long m_next = 1;
};
