// kvoll's one window: an address box with the history, a message box, Send.
#pragma once

#include <QByteArray>
#include <QWidget>

class QCloseEvent;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

class TfrmMain : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmMain(QWidget *parent = nullptr);

    QComboBox *cboAddress;
    QPlainTextEdit *txtMessage;
    QPushButton *cmdSend;
    QLabel *lblAddress;
    QLabel *lblMessage;

    void cmdSendClick(QObject *Sender);
    void FormCreate(QObject *Sender);
    void FormClose(QObject *Sender, QCloseEvent *Action);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // Set when a history file exists but could not be read: saving over it
    // would lose the addresses it holds.
    bool m_keepHistoryFile = false;
};

// The history file's path, formed from HOME when the window is created.
extern QByteArray HistoryFile;
extern TfrmMain *frmMain;
