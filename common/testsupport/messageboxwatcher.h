// Answers the modal message boxes a test provokes and remembers what they
// showed.  A box opened by the code under test runs its own event loop; a
// short timer finds it there, records it and presses OK.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

struct ShownBox
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;
    QString text;
    QMessageBox::StandardButtons standardButtons;
    int buttonCount = 0;
    // The window the box belongs to, as it was while the box showed.
    QString ownerCaption;
    QString ownerMessage; // the text of its "txtMessage" box
};

class MessageBoxWatcher : public QObject
{
public:
    MessageBoxWatcher()
    {
        m_timer.setInterval(10);
        connect(&m_timer, &QTimer::timeout, this, &MessageBoxWatcher::answer);
        m_timer.start();
    }

    QList<ShownBox> boxes;

private:
    void answer()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        ShownBox shown;
        shown.icon = box->icon();
        shown.title = box->windowTitle();
        shown.text = box->text();
        shown.standardButtons = box->standardButtons();
        shown.buttonCount = int(box->buttons().size());
        if (QWidget *owner = box->parentWidget()) {
            shown.ownerCaption = owner->window()->windowTitle();
            if (auto *message = owner->window()->findChild<QPlainTextEdit *>("txtMessage"))
                shown.ownerMessage = message->toPlainText();
        }
        boxes.append(shown);
        if (QAbstractButton *ok = box->button(QMessageBox::Ok))
            ok->click();
        else
            box->reject();
    }

    QTimer m_timer;
};
