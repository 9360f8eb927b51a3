// Crier's window on the Qt toolkit with the real platform, as the end-to-end
// tests drive it: the book typed in, the message set, Send clicked, the
// status lines read back.
#pragma once

#include "frmmain.h"
#include "qttoolkit.h"
#include "system.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QTest>

inline QStringList statusLines(QWidget *window)
{
    QStringList lines;
    auto *status = window->findChild<QListWidget *>(QStringLiteral("lstStatus"));
    for (int i = 0; status && i < status->count(); ++i)
        lines.append(status->item(i)->text());
    return lines;
}

inline QString lastLine(QWidget *window)
{
    const QStringList lines = statusLines(window);
    return lines.isEmpty() ? QString() : lines.back();
}

class CrierWindow
{
public:
    // The book in its order, and the message.
    CrierWindow(const QStringList &book, const QString &message)
        : m_form(m_toolkit, m_system), m_window(forms::qt::widgetOf(m_form.view()))
    {
        m_form.show();
        auto *address = m_window->findChild<QLineEdit *>(QStringLiteral("txtAddress"));
        // "+" puts each entry first: type them last to first.
        for (auto entry = book.rbegin(); address && entry != book.rend(); ++entry) {
            address->setText(*entry);
            QTest::keyClick(address, Qt::Key_Return);
        }
        if (auto *text = m_window->findChild<QPlainTextEdit *>(QStringLiteral("txtMessage")))
            text->setPlainText(message);
    }
    QWidget *window() const { return m_window; }
    void send()
    {
        if (auto *button = m_window->findChild<QPushButton *>(QStringLiteral("cmdSend")))
            QTest::mouseClick(button, Qt::LeftButton);
    }

private:
    forms::qt::Toolkit m_toolkit;
    forms::System m_system;
    crier::FrmMain m_form;
    QWidget *m_window;
};
