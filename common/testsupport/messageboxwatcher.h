// Answers the modal message boxes a test provokes and remembers what they
// showed.  A box opened by the code under test runs its own event loop; a
// short timer finds it there, records it and presses its default button.
#pragma once

#include <QAbstractButton>
#include <QPushButton>
#include <QApplication>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QTimer>

struct ShownBox
{
    QMessageBox::Icon icon;
    QString title;
    QString text;
    int buttons;
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
        boxes.append({box->icon(), box->windowTitle(), box->text(),
                      static_cast<int>(box->buttons().size())});
        if (QAbstractButton *button = box->defaultButton())
            button->click();
        else
            box->reject();
    }

    QTimer m_timer;
};
