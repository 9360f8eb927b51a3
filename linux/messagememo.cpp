#include "messagememo.h"

#include "messagetext.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMimeData>
#include <QTextDocument>
#include <QToolTip>

namespace {

QString capacityText()
{
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(MessageMemo::Capacity);
}

} // namespace

MessageMemo::MessageMemo(QWidget *parent) : QPlainTextEdit(parent) { }

QString MessageMemo::cutNotice()
{
    return QStringLiteral("The message box holds at most %1 characters: the text was cut to fit.")
        .arg(capacityText());
}

QString MessageMemo::fullNotice()
{
    return QStringLiteral("The message box holds at most %1 characters.").arg(capacityText());
}

QString MessageMemo::fitting(const QString &text) const
{
    // The document counts one paragraph separator more than it holds.
    const QTextCursor cursor = textCursor();
    return quillon::fittingPart(text, document()->characterCount() - 1,
        cursor.selectionEnd() - cursor.selectionStart(), Capacity);
}

void MessageMemo::announce(const QString &notice)
{
    QToolTip::showText(
        viewport()->mapToGlobal(cursorRect().bottomLeft()), notice, this, QRect(), 8000);
}

// Paste, drop and the X11 selection all come through here.
void MessageMemo::insertFromMimeData(const QMimeData *source)
{
    if (!source || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    const QString text = source->text();
    const QString part = fitting(text);
    if (part.size() == text.size()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    QMimeData cut;
    cut.setText(part);
    QPlainTextEdit::insertFromMimeData(&cut);
    announce(cutNotice());
}

void MessageMemo::keyPressEvent(QKeyEvent *event)
{
    // The keys that insert: Enter (a line break), and those whose text is
    // printable, as the editor itself decides.
    const bool newLine = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const QString typed = newLine ? QStringLiteral("\n") : event->text();
    const bool inserts = !isReadOnly() && !typed.isEmpty()
        && (newLine || typed.front().isPrint() || typed.front() == u'\t');
    if (inserts && fitting(typed).size() < typed.size()) {
        event->accept();
        announce(fullNotice());
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void MessageMemo::inputMethodEvent(QInputMethodEvent *event)
{
    const QString commit = event->commitString();
    const QString part = fitting(commit);
    if (part.size() == commit.size()) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent cut(event->preeditString(), event->attributes());
    cut.setCommitString(part, event->replacementStart(), event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&cut);
    announce(cutNotice());
}
