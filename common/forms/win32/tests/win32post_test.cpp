// Tasks posted to the Win32 toolkit from other threads run in whatever
// message loop runs on the window thread, a message box's included.  Their
// order and thread are the toolkit contract's.
#include "samplewindows.h"
#include "win32testing.h"
#include "win32toolkit.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

using namespace win32testing;

namespace {

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
