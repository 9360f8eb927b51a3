#include "program.h"

#include "displaytext.h"
#include "frmquillbox.h"
#include "notifier.h"
#include "spoolwatcher.h"

#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QMenu>
#include <QPainter>
#include <QSystemTrayIcon>

#include <algorithm>

// The resources of a static library are linked in only when asked for.
static void initResources()
{
    Q_INIT_RESOURCE(quillbox);
}

namespace quillbox {

QIcon iconWithCount(int unread)
{
    initResources();
    QPixmap picture(QStringLiteral(":/quillbox/quillbox.png"));
    if (unread <= 0)
        return QIcon(picture);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF badge(picture.width() * 0.45, picture.height() * 0.45, picture.width() * 0.55,
        picture.height() * 0.55);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xc0, 0x10, 0x10));
    painter.drawEllipse(badge);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(int(badge.height() * (unread > 99 ? 0.4 : 0.6)));
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(
        badge, Qt::AlignCenter, unread > 999 ? QStringLiteral("999+") : QString::number(unread));
    painter.end();
    return QIcon(picture);
}

Program::Program(ProgramOptions options, QObject *parent)
    : QObject(parent), m_options(std::move(options)),
      m_inbox(Spool(m_options.spool), Store(m_options.store))
{
    m_indexTimer.setSingleShot(true);
    connect(&m_indexTimer, &QTimer::timeout, this, &Program::writeIndex);
}

Program::~Program() = default;

void Program::start(bool background)
{
    // Watched before the spool is read, so that nothing delivered in
    // between goes unnoticed.
    m_watcher = new SpoolWatcher(QString::fromStdString(m_options.spool), this);
    const std::vector<std::string> waiting = m_inbox.open();

    m_window = std::make_unique<TfrmQuillbox>(m_inbox);
    passNotices();
    connect(m_window.get(), &TfrmQuillbox::unreadChanged, this, &Program::unreadChanged);
    connect(m_window.get(), &TfrmQuillbox::storeChanged, this, &Program::indexLater);
    if (!m_inbox.listedFromIndex() || !waiting.empty())
        indexLater();
    connect(m_watcher, &SpoolWatcher::changed, this, &Program::spoolChanged);

    m_notifier = new DesktopNotifier(m_options.bus, this);
    connect(m_notifier, &DesktopNotifier::activated, this, &Program::showWindow);

    if (m_options.tray && QSystemTrayIcon::isSystemTrayAvailable()) {
        m_tray = new QSystemTrayIcon(this);
        auto *menu = new QMenu(m_window.get());
        menu->addAction(QStringLiteral("&Show Quillbox"), this, &Program::showWindow);
        menu->addAction(QStringLiteral("&Quit"), qApp, &QCoreApplication::quit);
        m_tray->setContextMenu(menu);
        connect(m_tray, &QSystemTrayIcon::activated, this, [this](auto reason) {
            if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                showWindow();
        });
        unreadChanged(m_inbox.unreadCount());
        m_tray->show();
    }

    m_setup = new SetupCheck(
        m_options.probes, m_options.deliver, QString::fromStdString(m_options.spool), this);
    connect(m_setup, &SetupCheck::finished, m_window.get(), &TfrmQuillbox::setSetupProblem);
    m_setup->start();

    if (!waiting.empty())
        announce(waiting);
    // From the menu at once; from the session's start only for something
    // unread (new in the spool, or not seen before the last end).
    if (!background || m_inbox.unreadCount() > 0)
        m_window->present();
}

void Program::showWindow()
{
    if (!m_window)
        return;
    if (m_setup && !m_window->isVisible())
        m_setup->start();
    m_window->present();
}

void Program::spoolChanged()
{
    const std::vector<std::string> taken = m_inbox.takeNew();
    passNotices();
    if (taken.empty())
        return;
    indexLater();
    announce(taken);
    m_window->messagesArrived();
    unreadChanged(m_inbox.unreadCount());
}

void Program::announce(const std::vector<std::string> &names)
{
    QStringList senders;
    QString firstText;
    for (const std::string &name : names) {
        const int index = m_inbox.indexOf(name);
        if (index < 0)
            continue;
        const Inbox::Content &content = m_inbox.content(index);
        senders.append(visibleText(content.record.sender, Lines::Shown));
        if (senders.size() == 1)
            firstText = visibleText(content.record.text);
    }
    if (!senders.isEmpty())
        m_notifier->announce(announcementFor(senders, firstText));
}

void Program::unreadChanged(int unread)
{
    if (!m_tray)
        return;
    m_tray->setIcon(iconWithCount(unread));
    m_tray->setToolTip(unread == 1 ? QStringLiteral("Quillbox: 1 unread message")
                                   : QStringLiteral("Quillbox: %1 unread messages").arg(unread));
}

void Program::indexLater()
{
    m_indexTimer.start(m_options.indexDelay);
}

void Program::writeIndex()
{
    // Not while the store still changes; nothing is lost when it fails: the
    // next start lists the folder.
    if (m_inbox.store().writeIndex(QDateTime::currentSecsSinceEpoch()) == Store::IndexWrite::Later)
        m_indexTimer.start(std::max(m_options.indexDelay, 1000));
}

void Program::passNotices()
{
    if (m_window)
        m_window->addNotices(m_inbox.takeNotices());
}

} // namespace quillbox
