// Tasks posted to the Qt toolkit from other threads: they run later, on the
// thread of the windows, in the order posted, in whatever event loop runs
// there, a message box's included.
#include "qttoolkit.h"
#include "samplewindows.h"

#include <QApplication>
#include <QTest>
#include <QThread>

#include <functional>
#include <thread>
#include <vector>

class TestQtPost : public QObject
{
    Q_OBJECT

private slots:
    void runsLaterOnTheWindowThreadInOrder();
    void runsWhileABoxIsOpen();
};

void TestQtPost::runsLaterOnTheWindowThreadInOrder()
{
    forms::qt::Toolkit toolkit;
    std::vector<int> order;
    bool onWindowThread = true;
    std::thread poster([&] {
        for (int i = 0; i < 50; ++i) {
            toolkit.post([&, i] {
                order.push_back(i);
                onWindowThread = onWindowThread && QThread::currentThread() == qApp->thread();
            });
        }
    });
    poster.join();
    QVERIFY(order.empty());
    QTRY_COMPARE(order.size(), std::size_t(50));
    for (int i = 0; i < 50; ++i)
        QCOMPARE(order[std::size_t(i)], i);
    QVERIFY(onWindowThread);
}

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
