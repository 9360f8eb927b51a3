#include "frmquillbox.h"

#include "displaytext.h"
#include "inbox.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>

#include <algorithm>

namespace {

// The notices kept for the tooltip; the label shows the latest.
constexpr int keptNotices = 10;

} // namespace

TfrmQuillbox::TfrmQuillbox(quillbox::Inbox &inbox, QWidget *parent)
    : QWidget(parent,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      lblHeader(new QLabel(this)), txtMessage(new QPlainTextEdit(this)),
      lblPosition(new QLabel(this)),
      cmdPrevious(new QPushButton(QStringLiteral("&Previous"), this)),
      cmdNext(new QPushButton(QStringLiteral("&Next"), this)),
      cmdDelete(new QPushButton(QStringLiteral("&Delete"), this)),
      cmdReply(new QPushButton(QStringLiteral("&Reply"), this)), lblNotice(new QLabel(this)),
      m_inbox(inbox)
{
    setObjectName(QStringLiteral("frmQuillbox"));
    setWindowTitle(QStringLiteral("Quillbox"));
    setFixedSize(400, 364);

    // Received text is never markup, whatever it looks like.
    for (QLabel *label : {lblHeader, lblPosition, lblNotice})
        label->setTextFormat(Qt::PlainText);

    lblHeader->setObjectName(QStringLiteral("lblHeader"));
    lblHeader->setGeometry(12, 10, 376, 20);

    txtMessage->setObjectName(QStringLiteral("txtMessage"));
    txtMessage->setGeometry(12, 36, 376, 200);
    txtMessage->setReadOnly(true);
    txtMessage->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    txtMessage->setTabChangesFocus(true);
    txtMessage->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    txtMessage->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    txtMessage->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    lblPosition->setObjectName(QStringLiteral("lblPosition"));
    lblPosition->setGeometry(12, 242, 376, 20);
    lblPosition->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    int left = 12;
    for (QPushButton *button : {cmdPrevious, cmdNext, cmdDelete, cmdReply}) {
        button->setGeometry(left, 268, 88, 30);
        button->setAutoDefault(false);
        left += 96;
    }
    cmdPrevious->setObjectName(QStringLiteral("cmdPrevious"));
    cmdNext->setObjectName(QStringLiteral("cmdNext"));
    cmdDelete->setObjectName(QStringLiteral("cmdDelete"));
    cmdReply->setObjectName(QStringLiteral("cmdReply"));

    lblNotice->setObjectName(QStringLiteral("lblNotice"));
    lblNotice->setGeometry(12, 304, 376, 56);
    lblNotice->setWordWrap(true);
    lblNotice->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    for (QLabel *label : {lblHeader, lblPosition, lblNotice})
        label->setFocusPolicy(Qt::NoFocus);
    setTabOrder(txtMessage, cmdPrevious);
    setTabOrder(cmdPrevious, cmdNext);
    setTabOrder(cmdNext, cmdDelete);
    setTabOrder(cmdDelete, cmdReply);

    connect(cmdPrevious, &QPushButton::clicked, this, [this] { cmdPreviousClick(cmdPrevious); });
    connect(cmdNext, &QPushButton::clicked, this, [this] { cmdNextClick(cmdNext); });
    connect(cmdDelete, &QPushButton::clicked, this, [this] { cmdDeleteClick(cmdDelete); });
    connect(cmdReply, &QPushButton::clicked, this, [this] { cmdReplyClick(cmdReply); });

    showMessage(startingMessage());
}

int TfrmQuillbox::startingMessage() const
{
    const int unread = m_inbox.firstUnread();
    return unread >= 0 ? unread : m_inbox.count() - 1;
}

void TfrmQuillbox::showMessage(int index)
{
    const int count = m_inbox.count();
    m_current = count == 0 ? -1 : std::clamp(index, 0, count - 1);
    bool readable = false;
    if (m_current < 0) {
        lblHeader->clear();
        txtMessage->clear();
    } else {
        const quillbox::Inbox::Content &content = m_inbox.content(m_current);
        readable = content.problem.isEmpty();
        if (readable) {
            lblHeader->setText(quillbox::headerLine(content.record));
            txtMessage->setPlainText(quillbox::visibleText(content.record.text));
        } else {
            lblHeader->clear();
            txtMessage->setPlainText(
                QStringLiteral("This message could not be read (%1).").arg(content.problem));
        }
        // A long header is cut at the window's edge; the tooltip has it all.
        lblHeader->setToolTip(lblHeader->text());
    }
    lblPosition->setText(QStringLiteral("%1 of %2").arg(m_current + 1).arg(count));
    cmdPrevious->setEnabled(m_current > 0);
    cmdNext->setEnabled(m_current >= 0 && m_current < count - 1);
    cmdDelete->setEnabled(m_current >= 0);
    cmdReply->setEnabled(readable);
    // New notices may have come with reading the message.
    addNotices(m_inbox.takeNotices());
    markShownRead();
}

void TfrmQuillbox::markShownRead()
{
    if (!isVisible() || m_current < 0 || !m_inbox.message(m_current).unread)
        return;
    m_inbox.markRead(m_current);
    addNotices(m_inbox.takeNotices());
    emit unreadChanged(m_inbox.unreadCount());
    emit storeChanged();
}

void TfrmQuillbox::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    markShownRead();
}

void TfrmQuillbox::present()
{
    // What was shown stays, unless something unread waits.
    if (m_inbox.firstUnread() >= 0 || m_current < 0)
        showMessage(startingMessage());
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void TfrmQuillbox::messagesArrived()
{
    present();
}

void TfrmQuillbox::cmdPreviousClick(QObject * /*Sender*/)
{
    if (m_current > 0)
        showMessage(m_current - 1);
}

void TfrmQuillbox::cmdNextClick(QObject * /*Sender*/)
{
    if (m_current >= 0 && m_current < m_inbox.count() - 1)
        showMessage(m_current + 1);
}

void TfrmQuillbox::cmdDeleteClick(QObject * /*Sender*/)
{
    if (m_current < 0)
        return;
    const int index = m_current;
    const bool wasUnread = m_inbox.message(index).unread;
    m_inbox.remove(index);
    // The next one takes its place; after the last, the one before it.
    showMessage(index);
    if (wasUnread)
        emit unreadChanged(m_inbox.unreadCount());
    emit storeChanged();
}

QString TfrmQuillbox::replyProgram() const
{
    if (!m_replyProgram.isEmpty())
        return m_replyProgram;
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/kvoll");
    if (QFileInfo(beside).isExecutable())
        return beside;
    return QStandardPaths::findExecutable(QStringLiteral("kvoll"));
}

void TfrmQuillbox::cmdReplyClick(QObject * /*Sender*/)
{
    if (m_current < 0)
        return;
    const quillbox::Inbox::Content &content = m_inbox.content(m_current);
    if (!content.problem.isEmpty())
        return;
    const QString program = replyProgram();
    // An argument list, no shell: the sender is handed over as it is.
    const QString sender
        = QString::fromUtf8(content.record.sender.data(), qsizetype(content.record.sender.size()));
    if (!program.isEmpty() && QProcess::startDetached(program, {sender}))
        return;
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Quillbox"),
        QStringLiteral("kvoll could not be started to reply. Install it (Debian package "
                       "quillon) or put it on your PATH."),
        QMessageBox::Ok, this);
    box.exec();
}

void TfrmQuillbox::setSetupProblem(const QString &problem)
{
    m_setupProblem = problem;
    updateNotice();
}

void TfrmQuillbox::addNotices(const QStringList &notices)
{
    if (notices.isEmpty())
        return;
    for (const QString &notice : notices)
        qWarning().noquote() << "Quillbox:" << notice;
    m_notices += notices;
    while (m_notices.size() > keptNotices)
        m_notices.removeFirst();
    updateNotice();
}

void TfrmQuillbox::updateNotice()
{
    // What keeps every message away comes first, then the latest notice.
    QStringList lines;
    if (!m_setupProblem.isEmpty())
        lines.append(m_setupProblem);
    if (!m_notices.isEmpty())
        lines.append(m_notices.last());
    lblNotice->setText(lines.join(u'\n'));
    QStringList all = m_notices;
    if (!m_setupProblem.isEmpty())
        all.prepend(m_setupProblem);
    lblNotice->setToolTip(all.join(u'\n'));
}
