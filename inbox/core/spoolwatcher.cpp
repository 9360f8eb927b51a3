#include "spoolwatcher.h"

#include <QFileInfo>
#include <QTimer>

namespace quillbox {

SpoolWatcher::SpoolWatcher(const QString &spool, QObject *parent) : QObject(parent), m_spool(spool)
{
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &SpoolWatcher::noticed);
    rewatch();
}

bool SpoolWatcher::watching() const
{
    return m_watcher.directories().contains(m_spool);
}

void SpoolWatcher::rewatch()
{
    if (watching())
        return;
    if (!m_watcher.directories().isEmpty())
        m_watcher.removePaths(m_watcher.directories());
    if (m_watcher.addPath(m_spool))
        return;
    // Not there (yet): its creation changes the folder above.
    const QString parent = QFileInfo(m_spool).absolutePath();
    if (parent != m_spool)
        m_watcher.addPath(parent);
}

void SpoolWatcher::noticed()
{
    if (m_pending)
        return;
    m_pending = true;
    QTimer::singleShot(0, this, [this] {
        m_pending = false;
        if (!QFileInfo(m_spool).isDir()) {
            // Gone, or not there yet: wait for it above.
            if (!m_watcher.directories().isEmpty())
                m_watcher.removePaths(m_watcher.directories());
            rewatch();
            return;
        }
        rewatch();
        emit changed();
    });
}

} // namespace quillbox
