// Tasks handed to the window thread from any thread: a hidden message-only
// window takes a message for them, so that they run in whatever message
// loop the thread is in (the program's, a message box's).
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <mutex>

namespace forms::win32 {

class PostQueue
{
public:
    // Made on the thread the tasks are to run on.
    PostQueue();
    ~PostQueue();
    PostQueue(const PostQueue &) = delete;
    PostQueue &operator=(const PostQueue &) = delete;

    void post(std::function<void()> task);

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void runAll();

    HWND m_window = nullptr;
    std::mutex m_mutex;
    std::deque<std::function<void()>> m_tasks;
};

} // namespace forms::win32
