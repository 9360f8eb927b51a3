#include "postqueue.h"

#include <utility>

namespace forms::win32 {

namespace {

const wchar_t queueClass[] = L"QuillonPostQueue";
constexpr UINT runTasks = WM_APP + 1;

} // namespace

PostQueue::PostQueue()
{
    WNDCLASSEXW type = {};
    type.cbSize = sizeof type;
    if (!::GetClassInfoExW(::GetModuleHandleW(nullptr), queueClass, &type)) {
        type.cbSize = sizeof type;
        type.lpfnWndProc = &PostQueue::procedure;
        type.hInstance = ::GetModuleHandleW(nullptr);
        type.lpszClassName = queueClass;
        ::RegisterClassExW(&type);
    }
    m_window = ::CreateWindowExW(0, queueClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
        ::GetModuleHandleW(nullptr), nullptr);
    ::SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

PostQueue::~PostQueue()
{
    if (m_window) {
        ::SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
        ::DestroyWindow(m_window);
    }
}

void PostQueue::post(std::function<void()> task)
{
    bool first = false;
    {
        const std::lock_guard lock(m_mutex);
        first = m_tasks.empty();
        m_tasks.push_back(std::move(task));
    }
    // One message for every batch: a flood of tasks is not a flood of
    // messages.
    if (first)
        ::PostMessageW(m_window, runTasks, 0, 0);
}

void PostQueue::runAll()
{
    std::deque<std::function<void()>> tasks;
    {
        const std::lock_guard lock(m_mutex);
        tasks.swap(m_tasks);
    }
    for (std::function<void()> &task : tasks)
        task();
}

LRESULT CALLBACK PostQueue::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == runTasks) {
        if (auto *queue = reinterpret_cast<PostQueue *>(::GetWindowLongPtrW(window, GWLP_USERDATA)))
            queue->runAll();
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

} // namespace forms::win32
