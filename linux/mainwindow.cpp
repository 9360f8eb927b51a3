#include "mainwindow.h"

#include "application.h"
#include "history.h"
#include "messagememo.h"
#include "messagetext.h"
#include "send.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringListModel>
#include <QTextDocument>

#include <cstdlib>
#include <cstring>
#include <utility>

#include <langinfo.h>

QByteArray HistoryFile;
TfrmMain *frmMain = nullptr;

namespace {

void showBox(QWidget *parent, QMessageBox::Icon icon, const QString &caption, const QString &text)
{
    QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
}

void showError(QWidget *parent, const QString &text)
{
    showBox(parent, QMessageBox::Critical, QStringLiteral("Error"), text);
}

void showWarning(QWidget *parent, const QString &text)
{
    showBox(parent, QMessageBox::Warning, QStringLiteral("Warning"), text);
}

QString systemError(int error)
{
    // English whatever the locale, like every other text of the program.
    if (const char *description = ::strerrordesc_np(error))
        return QString::fromUtf8(description);
    return QStringLiteral("error %1").arg(error);
}

QString codesetName()
{
    return QString::fromLatin1(::nl_langinfo(CODESET));
}

QString loadWarning(const QByteArray &path, const kvoll::history::LoadResult &loaded)
{
    using kvoll::history::Problem;
    const QString file = QFile::decodeName(path);
    QString what;
    switch (loaded.problem) {
    case Problem::None:
        return {};
    case Problem::System:
        what = QStringLiteral("The address history %1 could not be read: %2.")
                   .arg(file, systemError(loaded.error));
        break;
    case Problem::NotAFile:
        what = QStringLiteral("The address history %1 is not an ordinary file.").arg(file);
        break;
    case Problem::TooLarge:
        what = QStringLiteral("The address history %1 is larger than 64 MiB.").arg(file);
        break;
    case Problem::NotText:
        what = QStringLiteral("The address history %1 is not valid %2 text.")
                   .arg(file, codesetName());
        break;
    case Problem::HoldsNul:
        what = QStringLiteral("The address history %1 holds a NUL byte; only the addresses before "
                              "it are shown.")
                   .arg(file);
        break;
    }
    return what
        + QStringLiteral(" It was left as it was, and the addresses you send to now will not be "
                         "saved.");
}

QString saveWarning(const QByteArray &path, const kvoll::history::SaveResult &saved, bool hadFile)
{
    const QString why = saved.problem == kvoll::history::Problem::NotText
        ? QStringLiteral("%1 cannot hold one of the addresses").arg(codesetName())
        : systemError(saved.error);
    return QStringLiteral("The address history could not be saved to %1: %2. ")
               .arg(QFile::decodeName(path), why)
        + (hadFile ? QStringLiteral("The file there was left as it was, without the addresses "
                                    "sent to in this session.")
                   : QStringLiteral("The addresses sent to in this session were not saved."));
}

QStringList items(const QComboBox *combo)
{
    QStringList list;
    list.reserve(combo->count());
    for (int i = 0; i < combo->count(); ++i)
        list.append(combo->itemText(i));
    return list;
}

} // namespace

TfrmMain::TfrmMain(QWidget *parent)
    : QWidget(parent,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      cboAddress(new QComboBox(this)), txtMessage(new MessageMemo(this)),
      cmdSend(new QPushButton(QStringLiteral("&Send"), this)),
      lblAddress(new QLabel(QStringLiteral("Address:"), this)),
      lblMessage(new QLabel(QStringLiteral("Message:"), this))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Quillon for Linux"));
    setFixedSize(291, 383);

    lblAddress->setObjectName(QStringLiteral("lblAddress"));
    lblAddress->setGeometry(16, 8, 257, 18);

    cboAddress->setObjectName(QStringLiteral("cboAddress"));
    cboAddress->setGeometry(16, 32, 257, 28);
    cboAddress->setEditable(true);
    cboAddress->setMaxVisibleItems(8);
    cboAddress->setDuplicatesEnabled(true);
    // Only a delivered address enters the list, and what is sent is exactly
    // what was typed: no insertion on Enter, no inline completion.
    cboAddress->setInsertPolicy(QComboBox::NoInsert);
    cboAddress->setCompleter(nullptr);
    // The box has a fixed size: measuring every history entry for a size
    // hint would only slow the start with a long history.
    cboAddress->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);

    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    lblMessage->setGeometry(16, 72, 257, 18);

    txtMessage->setObjectName(QStringLiteral("txtMessage"));
    txtMessage->setGeometry(16, 96, 257, 225);
    txtMessage->setTabChangesFocus(true);
    txtMessage->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    txtMessage->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    txtMessage->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    txtMessage->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    cmdSend->setObjectName(QStringLiteral("cmdSend"));
    cmdSend->setGeometry(16, 336, 257, 33);
    cmdSend->setAutoDefault(false);
    cmdSend->setDefault(false);

    lblAddress->setFocusPolicy(Qt::NoFocus);
    lblMessage->setFocusPolicy(Qt::NoFocus);
    setTabOrder(cboAddress, txtMessage);
    setTabOrder(txtMessage, cmdSend);
    cboAddress->setFocus();

    connect(cmdSend, &QPushButton::clicked, this, [this] { cmdSendClick(cmdSend); });

    FormCreate(this);
}

void TfrmMain::FormCreate(QObject * /*Sender*/)
{
    HistoryFile = kvoll::history::filePath(std::getenv("HOME"));
    const auto loaded = kvoll::history::load(HistoryFile);
    m_keepHistoryFile = loaded.status == kvoll::history::LoadStatus::Unusable;
    m_hadHistoryFile = loaded.status != kvoll::history::LoadStatus::Missing;
    // One model built from the whole list: far cheaper than adding a long
    // history item by item.  The combo box deletes the model it replaces.
    cboAddress->setModel(new QStringListModel(loaded.entries, cboAddress));

    // Told once the window is up (the event loop runs), or at the close,
    // whichever comes first.
    m_pendingWarning = loadWarning(HistoryFile, loaded);
    if (!m_pendingWarning.isEmpty())
        QMetaObject::invokeMethod(this, &TfrmMain::showPendingWarning, Qt::QueuedConnection);
}

void TfrmMain::FormClose(QObject * /*Sender*/, QCloseEvent * /*Action*/)
{
    showPendingWarning();
    if (m_keepHistoryFile)
        return;
    const auto saved = kvoll::history::save(HistoryFile, items(cboAddress));
    // The box comes before the program ends: closing the last window ends
    // the event loop only once this handler has returned.
    if (!saved.ok())
        showWarning(this, saveWarning(HistoryFile, saved, m_hadHistoryFile));
}

void TfrmMain::presetAddress(const QString &address)
{
    cboAddress->setEditText(address);
}

void TfrmMain::showPendingWarning()
{
    if (m_pendingWarning.isEmpty())
        return;
    showWarning(this, std::exchange(m_pendingWarning, QString()));
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    FormClose(this, event);
    QWidget::closeEvent(event);
}

void TfrmMain::cmdSendClick(QObject * /*Sender*/)
{
    // The raw text keeps what toPlainText() would change (no-break spaces).
    QString message
        = quillon::messageFromEditor(txtMessage->document()->toRawText(), QStringLiteral("\n"));
    if (message.endsWith(u'\n'))
        message.chop(1);
    if (message.isEmpty())
        return;
    const QString address = cboAddress->currentText();
    if (address.isEmpty())
        return;

    switch (kvoll::sendMessage(address, message)) {
    case smbclient::Outcome::CouldNotStart:
        showError(this,
            QStringLiteral("Sending failed. Make sure smbclient is in your path, or make a "
                           "symbolic link to it."));
        return;
    case smbclient::Outcome::Failed:
        showError(this,
            QStringLiteral("Sending failed. Make sure the network is working and that you "
                           "entered the correct address."));
        return;
    case smbclient::Outcome::TooLong:
        showError(this,
            QStringLiteral("The message is too long to be delivered in one piece. Shorten it "
                           "and send again."));
        return;
    case smbclient::Outcome::Unrepresentable:
        KvollApplication::showErrorReport(QStringLiteral("Codeset conversion failure"));
        return;
    case smbclient::Outcome::Delivered:
        break;
    }

    if (kvoll::history::indexOf(items(cboAddress), address) < 0)
        cboAddress->addItem(address);
    showBox(this, QMessageBox::Information, QStringLiteral("Information"),
        QStringLiteral("Message sent!"));
    txtMessage->clear();
}
