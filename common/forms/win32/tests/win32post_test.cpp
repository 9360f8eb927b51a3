// Tasks posted to the Win32 toolkit from other threads: they run later, on
// the thread of the windows, in the order posted, in whatever message loop
// runs there, a message box's included.
#include "samplewindows.h"
#include "win32testing.h"
#include "win32toolkit.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <vector>

using namespace win32testing;

namespace {

TEST(Win32Post, RunsLaterOnTheWindowThreadInOrder)
{
    forms::win32::Toolkit toolkit;
    std::vector<int> order;
    bool onWindowThread = true;
    const DWORD windowThread = ::GetCurrentThreadId();
    std::thread poster([&] {
        for (int i = 0; i < 50; ++i) {
            toolkit.post([&, i] {
                order.push_back(i);
                onWindowThread = onWindowThread && ::GetCurrentThreadId() == windowThread;
            });
        }
    });
    poster.join();
    EXPECT_TRUE(order.empty());
    ASSERT_TRUE(pumpUntil(toolkit, [&] { return order.size() == 50; }));
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(order[std::size_t(i)], i);
    EXPECT_TRUE(onWindowThread);
}

TEST(Win32Post, RunsWhileABoxIsOpen)
{
    forms::win32::Toolkit toolkit;
    toolkit.setQuitOnLastWindowClosed(false);
    auto view = toolkit.build(samplewindows::sample);
    view->show();
    bool ranInBox = false;
    // Posted again until the box is there, then closes it.
    std::function<void()> closeBox = [&] {
        if (const HWND box = ::FindWindowW(L"#32770", L"Box")) {
            ranInBox = true;
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        } else {
            toolkit.post(closeBox);
        }
    };
    std::thread([&] { toolkit.post(closeBox); }).join();
    view->messageBox(u"Waiting", u"Box", forms::BoxIcon::Information);
    EXPECT_TRUE(ranInBox);
}

} // namespace
