// Tasks posted to the Qt toolkit from other threads run in whatever event
// loop runs on the window thread, a message box's included.  Their order and
// thread are the toolkit contract's.
#include "qttoolkit.h"
#include "samplewindows.h"

#include <QApplication>
#include <QTest>

#include <functional>
#include <thread>

class TestQtPost : public QObject
{
    Q_OBJECT

private slots:
    void runsWhileABoxIsOpen();
};

void TestQtPost::runsWhileABoxIsOpen()
{
    forms::qt::Toolkit toolkit;
    auto view = toolkit.build(samplewindows::sample);
    view->show();
    bool ranInBox = false;
    // Posted again until the box is there, then closes it.
    std::function<void()> closeBox = [&] {
        if (QWidget *box = QApplication::activeModalWidget()) {
            ranInBox = true;
            box->close();
        } else {
            toolkit.post(closeBox);
        }
    };
    std::thread([&] { toolkit.post(closeBox); }).join();
    view->messageBox(u"Waiting", u"Box", forms::BoxIcon::Information);
    QVERIFY(ranInBox);
}

QTEST_MAIN(TestQtPost)
#include "tst_qtpost.moc"
