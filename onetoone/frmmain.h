// The one window of Quillpost: a recipient, a message and a Send button.
#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class FrmMain : public QWidget
{
    Q_OBJECT

public:
    explicit FrmMain(QWidget *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The handlers keep the names of the events they answer.
    void Form_Load();
    void cmdSend_Click();
    void txtTo_Change();
    void txtMessage_Change();
    void txtTo_KeyPress(int keyAscii);

    void updateSendEnabled();
    QString messageText() const;

    QLabel *lblTo;
    QLineEdit *txtTo;
    QLabel *lblMessage;
    QPlainTextEdit *txtMessage;
    QPushButton *cmdSend;
};
