// Quillbox's window: one message at a time, its sender and time, its
// position among the kept messages, and Previous, Next, Delete, Reply.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace quillbox {
class Inbox;
}

class TfrmQuillbox : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmQuillbox(quillbox::Inbox &inbox, QWidget *parent = nullptr);

    QLabel *lblHeader;
    QPlainTextEdit *txtMessage;
    QLabel *lblPosition;
    QPushButton *cmdPrevious;
    QPushButton *cmdNext;
    QPushButton *cmdDelete;
    QPushButton *cmdReply;
    QLabel *lblNotice; // what is not set up, and what went wrong

    void cmdPreviousClick(QObject *Sender);
    void cmdNextClick(QObject *Sender);
    void cmdDeleteClick(QObject *Sender);
    void cmdReplyClick(QObject *Sender);

    // The message shown, or -1.
    int current() const { return m_current; }
    // Shows a message (an index of the inbox); one shown in a visible window
    // counts as read.
    void showMessage(int index);
    // New messages came in: the oldest unread one is shown and the window
    // comes to the front.
    void messagesArrived();
    // Shows the window at the oldest unread message, or the newest.
    void present();

    void setSetupProblem(const QString &problem);
    void addNotices(const QStringList &notices);

    // The program Reply starts; by default kvoll beside this program, or
    // on the PATH.
    void setReplyProgram(const QString &program) { m_replyProgram = program; }
    QString replyProgram() const;

signals:
    void unreadChanged(int unread);
    // A message was marked read or deleted.
    void storeChanged();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void updateNotice();
    void markShownRead();
    // The message to open with: the oldest unread, or the newest.
    int startingMessage() const;

    quillbox::Inbox &m_inbox;
    int m_current = -1;
    QString m_setupProblem;
    QStringList m_notices;
    QString m_replyProgram;
};
