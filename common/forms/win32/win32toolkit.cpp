#include "win32toolkit.h"

#include "builder.h"
#include "postqueue.h"
#include "win32controls.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace forms::win32 {

namespace {

const wchar_t windowClass[] = L"QuillonWindow";

// The top-level windows of the views alive on this thread.
std::set<HWND> &liveWindows()
{
    static thread_local std::set<HWND> windows;
    return windows;
}

bool anyWindowShown()
{
    for (HWND window : liveWindows()) {
        if (::IsWindowVisible(window))
            return true;
    }
    return false;
}

int systemDpi()
{
    const HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen)
        ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

int heightOf(HWND window)
{
    RECT rect;
    ::GetWindowRect(window, &rect);
    return rect.bottom - rect.top;
}

// A closed drop-down list takes its height from its selection field, whose
// height the font sets: the field is made to fit the table's height.  What a
// field height gives differs (Wine adds two pixels): measured, not computed.
void fitClosedHeight(HWND combo, int wanted)
{
    const LRESULT field = ::SendMessageW(combo, CB_GETITEMHEIGHT, WPARAM(-1), 0);
    if (field <= 0)
        return;
    LRESULT asked = field;
    for (int attempt = 0; attempt < 3 && heightOf(combo) != wanted; ++attempt) {
        asked += wanted - heightOf(combo);
        if (asked <= 0)
            return;
        ::SendMessageW(combo, CB_SETITEMHEIGHT, WPARAM(-1), asked);
    }
}

void registerWindowClass()
{
    WNDCLASSEXW type = {};
    type.cbSize = sizeof type;
    if (::GetClassInfoExW(::GetModuleHandleW(nullptr), windowClass, &type))
        return;
    type.cbSize = sizeof type;
    type.lpfnWndProc = &windowProcedure;
    type.hInstance = ::GetModuleHandleW(nullptr);
    type.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    type.lpszClassName = windowClass;
    ::RegisterClassExW(&type);
}

class Win32View : public View, private ControlMaker
{
public:
    Win32View(Toolkit &toolkit, const WindowSpec &spec);
    ~Win32View() override;

    Control *find(const char *name) override { return m_controls.find(name); }
    Text caption() const override { return windowText(m_window); }
    void setCaption(const Text &caption) override
    {
        ::SetWindowTextW(m_window, toWide(caption).c_str());
    }
    void show() override;
    void bringToFront() override;
    void repaint() override;
    void close() override;
    void messageBox(const Text &text, const Text &title, BoxIcon icon) override;

    HWND window() const { return m_window; }
    const WindowSpec &spec() const { return m_spec; }
    // The window, from its first message on.
    void attach(HWND window) { m_window = window; }
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

private:
    std::unique_ptr<Control> label(const ControlSpec &row) override;
    std::unique_ptr<Control> textBox(const ControlSpec &row) override;
    std::unique_ptr<Control> multiLineTextBox(const ControlSpec &row) override;
    std::unique_ptr<Control> listBox(const ControlSpec &row) override;
    std::unique_ptr<Control> button(const ControlSpec &row) override;
    std::unique_ptr<Control> checkBox(const ControlSpec &row) override;
    std::unique_ptr<Control> timer(const ControlSpec &row) override;
    std::unique_ptr<Control> driveList(const ControlSpec &row) override;
    std::unique_ptr<Control> folderList(const ControlSpec &row) override;
    std::unique_ptr<Control> fileList(const ControlSpec &row) override;

    HWND createChild(const ControlSpec &row, const wchar_t *type, DWORD style, DWORD exStyle = 0,
        int extraHeight = 0);
    // Hears the child's notifications from now on.
    template<class Adapter>
    std::unique_ptr<Control> adopt(std::unique_ptr<Adapter> child)
    {
        m_children[::GetDlgCtrlID(child->handle())] = child.get();
        return child;
    }
    void addTooltip(HWND control, const char16_t *text);
    void setIcon(const char *name);
    void closed();
    void restoreFocus();

    Toolkit &m_toolkit;
    const WindowSpec &m_spec;
    HWND m_window = nullptr;
    HWND m_tooltips = nullptr;
    // The control that gets the focus when the window is activated.
    HWND m_focus = nullptr;
    Controls m_controls;
    std::map<int, Child *> m_children;
    std::map<UINT_PTR, IntervalTimer *> m_timers;
    std::set<HWND> m_menuBackground;
};

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto *create = reinterpret_cast<const CREATESTRUCTW *>(lParam);
        ::SetWindowLongPtrW(
            window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        static_cast<Win32View *>(create->lpCreateParams)->attach(window);
    }
    auto *view = reinterpret_cast<Win32View *>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!view)
        return ::DefWindowProcW(window, message, wParam, lParam);
    return view->handle(message, wParam, lParam);
}

Win32View::Win32View(Toolkit &toolkit, const WindowSpec &spec) : m_toolkit(toolkit), m_spec(spec)
{
    registerWindowClass();
    // A fixed border, a caption and the close button: no minimise, no
    // maximise, no resizing.
    constexpr DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    constexpr DWORD exStyle = WS_EX_WINDOWEDGE;
    RECT frame = {0, 0, toolkit.scaled(spec.clientWidth), toolkit.scaled(spec.clientHeight)};
    ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    m_window = ::CreateWindowExW(exStyle, windowClass, toWide(spec.caption).c_str(), style,
        CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr,
        nullptr, ::GetModuleHandleW(nullptr), this);
    if (!m_window)
        std::abort();
    liveWindows().insert(m_window);
    setIcon(spec.icon);

    // Made in tab order: the dialog keys walk the child windows in the
    // order they were made, Tab and the access keys alike.
    m_controls.build(spec, *this);
}

Win32View::~Win32View()
{
    // No event reaches the form from here on.
    endEvents();
    for (const auto &[id, timer] : m_timers)
        ::KillTimer(m_window, id);
    liveWindows().erase(m_window);
    for (const auto &[id, child] : m_children)
        ::SetWindowLongPtrW(child->handle(), GWLP_USERDATA, 0);
    ::SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
    ::DestroyWindow(m_window);
}

void Win32View::show()
{
    ::ShowWindow(m_window, SW_SHOW);
    ::SetForegroundWindow(m_window);
    ::UpdateWindow(m_window);
}

void Win32View::bringToFront()
{
    if (::IsIconic(m_window))
        ::ShowWindow(m_window, SW_RESTORE);
    ::ShowWindow(m_window, SW_SHOW);
    ::SetForegroundWindow(m_window);
    ::SetActiveWindow(m_window);
}

void Win32View::repaint()
{
    // Painted here and now, frame and caption included; input waits.
    ::RedrawWindow(
        m_window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME | RDW_ALLCHILDREN);
}

void Win32View::close()
{
    // As the close button does; the view may be gone when this returns.
    ::SendMessageW(m_window, WM_CLOSE, 0, 0);
}

void Win32View::messageBox(const Text &text, const Text &title, BoxIcon icon)
{
    // The BoxIcon values are the MB_ICON styles.
    ::MessageBoxW(
        m_window, toWide(text).c_str(), toWide(title).c_str(), MB_OK | MB_APPLMODAL | UINT(icon));
}

void Win32View::closed()
{
    Toolkit &toolkit = m_toolkit;
    // Closed, not gone: the form destroys its view when it wants to.
    if (raise(watch(), this, &View::onClose))
        ::ShowWindow(m_window, SW_HIDE);
    if (toolkit.quitOnLastWindowClosed() && !anyWindowShown())
        ::PostQuitMessage(0);
}

void Win32View::restoreFocus()
{
    // The control that had it, else the table's first one, else the first
    // tab stop.
    HWND target = m_focus;
    if (!target || !::IsWindowEnabled(target) || !::IsWindowVisible(target))
        target = ::GetNextDlgTabItem(m_window, nullptr, FALSE);
    if (target)
        ::SetFocus(target);
}

LRESULT Win32View::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        // Enter outside a one-line box: a focused push button takes it as a
        // click; the window has no default button.
        if (id == IDOK && lParam == 0) {
            const HWND focus = ::GetFocus();
            for (const auto &[childId, child] : m_children) {
                if (child->handle() == focus && dynamic_cast<PushButton *>(child)) {
                    child->notify(BN_CLICKED);
                    return 0;
                }
            }
            return 0;
        }
        if (const auto found = m_children.find(id); found != m_children.end())
            found->second->notify(code);
        return 0;
    }
    case WM_TIMER:
        if (const auto found = m_timers.find(wParam); found != m_timers.end())
            found->second->tick();
        return 0;
    case WM_CTLCOLORLISTBOX: {
        const auto list = reinterpret_cast<HWND>(lParam);
        if (!m_menuBackground.count(list))
            break;
        const auto dc = reinterpret_cast<HDC>(wParam);
        ::SetTextColor(dc, ::GetSysColor(COLOR_MENUTEXT));
        ::SetBkColor(dc, ::GetSysColor(COLOR_MENU));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_MENU));
    }
    case WM_ACTIVATE:
        // As a dialog does: the focus leaves with the window and comes back
        // to the same control.
        if (LOWORD(wParam) == WA_INACTIVE) {
            const HWND focus = ::GetFocus();
            if (focus && ::IsChild(m_window, focus))
                m_focus = focus;
        } else {
            restoreFocus();
        }
        return 0;
    case WM_SETFOCUS:
        restoreFocus();
        return 0;
    case WM_CLOSE:
        closed();
        return 0;
    case WM_NCDESTROY:
        ::SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
        break;
    default:
        break;
    }
    return ::DefWindowProcW(m_window, message, wParam, lParam);
}

HWND Win32View::createChild(
    const ControlSpec &row, const wchar_t *type, DWORD style, DWORD exStyle, int extraHeight)
{
    style |= WS_CHILD;
    if (!(row.flags & Hidden))
        style |= WS_VISIBLE;
    if (row.flags & Disabled)
        style |= WS_DISABLED;
    const std::wstring caption = row.caption ? toWide(row.caption) : std::wstring();
    // The edges are scaled, not the sizes, so that controls that touch at
    // 96 dpi still touch.
    const int left = m_toolkit.scaled(row.left);
    const int top = m_toolkit.scaled(row.top);
    const int width = m_toolkit.scaled(row.left + row.width) - left;
    const int height = m_toolkit.scaled(row.top + row.height) - top;
    const int id = controlId(m_spec, row.name);
    const HWND control = ::CreateWindowExW(exStyle, type, caption.c_str(), style, left, top, width,
        height + extraHeight, m_window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
        ::GetModuleHandleW(nullptr), nullptr);
    if (!control)
        std::abort();
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_toolkit.font()), FALSE);
    if (row.tooltip)
        addTooltip(control, row.tooltip);
    if (row.flags & InitialFocus)
        m_focus = control;
    return control;
}

std::unique_ptr<Control> Win32View::label(const ControlSpec &row)
{
    return adopt(std::make_unique<StaticText>(createChild(row, L"STATIC", SS_LEFT)));
}

std::unique_ptr<Control> Win32View::textBox(const ControlSpec &row)
{
    const HWND edit
        = createChild(row, L"EDIT", ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE);
    // 0 lifts the control's own limit.
    ::SendMessageW(edit, EM_LIMITTEXT, WPARAM(std::max(row.maxLength, 0)), 0);
    return adopt(std::make_unique<Edit>(edit, false, watch()));
}

std::unique_ptr<Control> Win32View::multiLineTextBox(const ControlSpec &row)
{
    DWORD style = ES_LEFT | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_TABSTOP;
    if (row.flags & ScrollBars)
        style |= WS_VSCROLL;
    const HWND edit = createChild(row, L"EDIT", style, WS_EX_CLIENTEDGE);
    ::SendMessageW(edit, EM_LIMITTEXT, 0, 0);
    return adopt(std::make_unique<Edit>(edit, true, watch()));
}

std::unique_ptr<Control> Win32View::listBox(const ControlSpec &row)
{
    DWORD style = LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP;
    if (row.flags & ExtendedSelection)
        style |= LBS_EXTENDEDSEL;
    const HWND list = createChild(row, L"LISTBOX", style, WS_EX_CLIENTEDGE);
    if (row.flags & MenuBackground)
        m_menuBackground.insert(list);
    return adopt(std::make_unique<List>(list, watch()));
}

std::unique_ptr<Control> Win32View::button(const ControlSpec &row)
{
    return adopt(std::make_unique<PushButton>(
        createChild(row, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP), watch()));
}

std::unique_ptr<Control> Win32View::checkBox(const ControlSpec &row)
{
    return adopt(std::make_unique<Check>(createChild(row, L"BUTTON", BS_3STATE | WS_TABSTOP)));
}

std::unique_ptr<Control> Win32View::timer(const ControlSpec &row)
{
    const auto id = UINT_PTR(controlId(m_spec, row.name));
    auto timer = std::make_unique<IntervalTimer>(
        m_window, id, row.interval, !(row.flags & Disabled), watch());
    m_timers[id] = timer.get();
    return timer;
}

std::unique_ptr<Control> Win32View::driveList(const ControlSpec &row)
{
    // The height of a drop-down list's window includes its open list;
    // the closed box takes its height from the selection field.
    const HWND combo = createChild(row, L"COMBOBOX",
        CBS_DROPDOWNLIST | CBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP, 0, m_toolkit.scaled(160));
    fitClosedHeight(combo, m_toolkit.scaled(row.top + row.height) - m_toolkit.scaled(row.top));
    return adopt(std::make_unique<DriveCombo>(combo, watch()));
}

std::unique_ptr<Control> Win32View::folderList(const ControlSpec &row)
{
    return adopt(std::make_unique<FolderTree>(
        createChild(row, L"LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
            WS_EX_CLIENTEDGE),
        watch()));
}

std::unique_ptr<Control> Win32View::fileList(const ControlSpec &row)
{
    return adopt(std::make_unique<FileNames>(
        createChild(row, L"LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
            WS_EX_CLIENTEDGE),
        watch()));
}

void Win32View::addTooltip(HWND control, const char16_t *text)
{
    if (!m_tooltips) {
        m_tooltips = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
            WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
            CW_USEDEFAULT, m_window, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        if (!m_tooltips)
            return;
    }
    std::wstring wide = toWide(text);
    TTTOOLINFOW tool = {};
    // The size that every comctl32 since 4.70 takes, with or without a
    // manifest asking for version 6.
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = m_window;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = wide.data();
    ::SendMessageW(m_tooltips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Win32View::setIcon(const char *name)
{
    // The program's resources hold its icons, by name.
    if (!name)
        return;
    const std::wstring resource(name, name + std::strlen(name));
    const HINSTANCE module = ::GetModuleHandleW(nullptr);
    for (const auto &[which, width, height] : {std::tuple {ICON_BIG, SM_CXICON, SM_CYICON},
             std::tuple {ICON_SMALL, SM_CXSMICON, SM_CYSMICON}}) {
        const HANDLE image = ::LoadImageW(module, resource.c_str(), IMAGE_ICON,
            ::GetSystemMetrics(width), ::GetSystemMetrics(height), LR_SHARED);
        if (image)
            ::SendMessageW(m_window, WM_SETICON, WPARAM(which), reinterpret_cast<LPARAM>(image));
    }
}

} // namespace

int controlId(const WindowSpec &window, const char *name)
{
    const ControlSpec *row = findControl(window, name);
    return row ? firstControlId + int(row - window.controls.data()) : -1;
}

Toolkit::Toolkit(int dpi) : m_dpi(dpi > 0 ? dpi : systemDpi())
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    registerWindowClass();

    // The dialog font that the tables were laid out for: MS Sans Serif 8 pt,
    // that of the Windows of the Messenger service (Microsoft Sans Serif on
    // later ones), at this toolkit's DPI.  Wine's dialog font, Tahoma, is
    // wider and would wrap labels.
    LOGFONTW font = {};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    font.lfHeight = -MulDiv(8, m_dpi, 72);
    font.lfWidth = 0;
    wcscpy_s(font.lfFaceName, L"MS Sans Serif");
    m_font = ::CreateFontIndirectW(&font);
    m_posted = std::make_unique<PostQueue>();
}

Toolkit::~Toolkit()
{
    if (m_font)
        ::DeleteObject(m_font);
}

std::unique_ptr<forms::View> Toolkit::build(const WindowSpec &window)
{
    return std::make_unique<Win32View>(*this, window);
}

void Toolkit::dispatch(MSG &message)
{
    const HWND root = message.hwnd ? ::GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (root && liveWindows().count(root) && ::IsDialogMessageW(root, &message))
        return;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
}

void Toolkit::processPendingEvents()
{
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // For the loop further out.
            ::PostQuitMessage(int(message.wParam));
            return;
        }
        dispatch(message);
    }
}

int Toolkit::run()
{
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0)
        dispatch(message);
    return int(message.wParam);
}

void Toolkit::endProcess()
{
    // At once: nothing is saved, no window asks anything.
    ::ExitProcess(0);
}

void Toolkit::post(std::function<void()> task)
{
    m_posted->post(std::move(task));
}

HWND windowOf(forms::View &view)
{
    auto *win32View = dynamic_cast<Win32View *>(&view);
    return win32View ? win32View->window() : nullptr;
}

const WindowSpec *tableOf(forms::View &view)
{
    auto *win32View = dynamic_cast<Win32View *>(&view);
    return win32View ? &win32View->spec() : nullptr;
}

} // namespace forms::win32
