// Tells when the spool changes, through inotify (QFileSystemWatcher): no
// timer runs while nothing happens.  A spool that does not exist yet is
// waited for by watching the folder above it.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>

namespace quillbox {

class SpoolWatcher : public QObject
{
    Q_OBJECT
public:
    explicit SpoolWatcher(const QString &spool, QObject *parent = nullptr);

    // Whether the spool itself is watched (it exists).
    bool watching() const;

signals:
    // Once per turn of the event loop, however many changes came in it.
    void changed();

private:
    void noticed();
    void rewatch();

    QString m_spool;
    QFileSystemWatcher m_watcher;
    bool m_pending = false;
};

} // namespace quillbox
