// kvoll's message box: a plain-text editor that holds at most Capacity
// characters.  Qt lays out a line in time that grows with the square of its
// length (one pasted line of a megabyte froze the window for minutes), and
// no message can carry more than 1,598 bytes anyway.
#pragma once

#include <QPlainTextEdit>

class MessageMemo : public QPlainTextEdit
{
    Q_OBJECT
public:
    // Five times what the wire carries, so that a long text can be pasted and
    // shortened in place; at this length a keystroke in one unbroken line
    // still costs about one frame (bench/bench_memo).
    static constexpr qsizetype Capacity = 8192;

    explicit MessageMemo(QWidget *parent = nullptr);

    // What the box says, in a tooltip at the cursor, when it takes only part
    // of a paste (or of an input method's text), and when it takes nothing
    // of a key.
    static QString cutNotice();
    static QString fullNotice();

protected:
    void insertFromMimeData(const QMimeData *source) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;

private:
    QString fitting(const QString &text) const;
    void announce(const QString &notice);
};
