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

    // The address given on the command line (a reply from Quillbox): put
    // into the address box.  Nothing else changes: the focus starts in the
    // address box, as always.
    void presetAddress(const QString &address);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // Shows the warning that waits to be shown, once.
    void showPendingWarning();

    // Set when a history file exists but could not be loaded whole: saving
    // over it would lose the addresses it holds.
    bool m_keepHistoryFile = false;
    // Whether there was a history file to keep when a save fails.
    bool m_hadHistoryFile = false;
    QString m_pendingWarning;
};

// The history file's path, formed from HOME when the window is created.
extern QByteArray HistoryFile;
extern TfrmMain *frmMain;
