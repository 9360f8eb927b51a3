#include "frmmain.h"

#include "messagetext.h"
#include "platform.h"
#include "settingsfile.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>

#include <limits>

namespace {

const char *const applicationTitle = "Windows Quillon";

// The layout is kept in twips, the unit of the Windows dialogs it copies;
// 15 twips make one pixel at 96 dpi.
constexpr int twips(int value)
{
    return value / 15;
}

QRect twipRect(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

} // namespace

FrmMain::FrmMain(QWidget *parent)
    : QWidget(parent,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      lblTo(new QLabel(QStringLiteral("To:"), this)), txtTo(new QLineEdit(this)),
      lblMessage(new QLabel(QStringLiteral("Message:"), this)),
      txtMessage(new QPlainTextEdit(this)), cmdSend(new QPushButton(QStringLiteral("&Send"), this))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromLatin1(applicationTitle));
    setFixedSize(twips(4230), twips(4575));

    lblTo->setObjectName(QStringLiteral("lblTo"));
    lblTo->setGeometry(twipRect(120, 120, 3975, 255));

    txtTo->setObjectName(QStringLiteral("txtTo"));
    txtTo->setGeometry(twipRect(120, 360, 3975, 285));
    // QLineEdit stops at 32767 characters by default; the recipient has no
    // limit of its own.
    txtTo->setMaxLength(std::numeric_limits<int>::max());

    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    lblMessage->setGeometry(twipRect(120, 840, 3975, 255));

    txtMessage->setObjectName(QStringLiteral("txtMessage"));
    txtMessage->setGeometry(twipRect(120, 1080, 3975, 2775));
    txtMessage->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    txtMessage->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtMessage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Tab moves on to the next control, as in every other box of the window.
    txtMessage->setTabChangesFocus(true);

    cmdSend->setObjectName(QStringLiteral("cmdSend"));
    cmdSend->setGeometry(twipRect(120, 4080, 3975, 375));
    cmdSend->setAutoDefault(false);
    cmdSend->setEnabled(false);

    setTabOrder(txtTo, txtMessage);
    setTabOrder(txtMessage, cmdSend);

    connect(txtTo, &QLineEdit::textChanged, this, &FrmMain::txtTo_Change);
    connect(txtMessage, &QPlainTextEdit::textChanged, this, &FrmMain::txtMessage_Change);
    connect(cmdSend, &QPushButton::clicked, this, &FrmMain::cmdSend_Click);
    txtTo->installEventFilter(this);
    cmdSend->installEventFilter(this);

    Form_Load();
    txtTo->setFocus();
}

bool FrmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *keyEvent = static_cast<QKeyEvent *>(event);
        const bool enter = keyEvent->key() == Qt::Key_Return || keyEvent->key() == Qt::Key_Enter;
        if (watched == txtTo) {
            // The key goes on to the box afterwards, unchanged.
            const QString typed = keyEvent->text();
            if (!typed.isEmpty()) {
                for (const QChar c : typed)
                    txtTo_KeyPress(c.unicode());
            } else if (enter) {
                txtTo_KeyPress(13);
            }
        } else if (watched == cmdSend && enter && cmdSend->isEnabled()) {
            // Enter presses the focused button, as on Windows.
            cmdSend->click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FrmMain::Form_Load()
{
    const QString path = quillpost::settingsFilePath();
    if (!FileExists(path.toStdU16String()))
        return;
    const QString recipient = quillpost::readFirstField(path);
    if (!recipient.isEmpty())
        txtTo->setText(recipient);
}

void FrmMain::cmdSend_Click()
{
    if (messageText().isEmpty())
        return;
    if (txtTo->text().isEmpty())
        return;

    setWindowTitle(QStringLiteral("Sending..."));
    // The send blocks the window; let the new caption reach the screen
    // first, without taking any input.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    const std::u16string toUser = txtTo->text().toStdU16String();
    const std::u16string fromUser = ComputerName();
    const std::u16string message = messageText().toStdU16String();
    if (!BroadcastMessage(toUser, fromUser, message)) {
        setWindowTitle(QStringLiteral("Error"));
        QMessageBox::critical(
            this, QStringLiteral("Error"), QStringLiteral("Failed to send the message!"));
        txtMessage->setFocus();
        return;
    }

    setWindowTitle(QString::fromLatin1(applicationTitle));
    QMessageBox::information(this, QStringLiteral("Success"), QStringLiteral("Message sent!"));
    txtMessage->clear();
    txtMessage->setFocus();
}

void FrmMain::txtTo_Change()
{
    updateSendEnabled();
}

void FrmMain::txtMessage_Change()
{
    updateSendEnabled();
}

void FrmMain::txtTo_KeyPress(int keyAscii)
{
    if (keyAscii == 13)
        cmdSend_Click();
}

void FrmMain::updateSendEnabled()
{
    // Spaces count: nothing is trimmed.
    cmdSend->setEnabled(!messageText().isEmpty() && !txtTo->text().isEmpty());
}

QString FrmMain::messageText() const
{
    return quillon::messageFromEditor(
        txtMessage->document()->toRawText(), quillon::nativeLineBreak());
}
