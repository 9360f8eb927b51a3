#include "win32controls.h"

#include <commctrl.h>

#include <algorithm>
#include <cwctype>
#include <iterator>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 text is UTF-16: wchar_t must be 16-bit");

namespace forms::win32 {

std::wstring toWide(const Text &text)
{
    return std::wstring(text.begin(), text.end());
}

Text fromWide(const std::wstring &text)
{
    return Text(text.begin(), text.end());
}

Text windowText(HWND window)
{
    const int length = ::GetWindowTextLengthW(window);
    if (length <= 0)
        return {};
    std::wstring text(std::size_t(length) + 1, L'\0');
    text.resize(std::size_t(::GetWindowTextW(window, text.data(), length + 1)));
    return fromWide(text);
}

namespace {

void setWindowText(HWND window, const Text &text)
{
    ::SetWindowTextW(window, toWide(text).c_str());
}

// ---- text boxes ------------------------------------------------------------

const wchar_t previousProcedure[] = L"Quillon.PreviousProcedure";
constexpr int enterKey = 13;

// Between the dialog keys and the edit control: Enter reaches a one-line
// box's key handler (IsDialogMessage would turn it into IDOK), Tab leaves a
// multi-line box (which would type it), and typed characters go through the
// form's key filter first.
LRESULT CALLBACK editProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto previous = reinterpret_cast<WNDPROC>(::GetPropW(window, previousProcedure));
    auto *edit = reinterpret_cast<Edit *>(::GetWindowLongPtrW(window, GWLP_USERDATA));

    switch (message) {
    case WM_GETDLGCODE: {
        LRESULT code = ::CallWindowProcW(previous, window, message, wParam, lParam);
        const auto *key = reinterpret_cast<const MSG *>(lParam);
        if (edit && key && key->message == WM_KEYDOWN) {
            if (key->wParam == VK_RETURN)
                code |= DLGC_WANTALLKEYS;
            else if (key->wParam == VK_TAB && edit->multiLine())
                code &= ~(DLGC_WANTALLKEYS | DLGC_WANTTAB);
        }
        return code;
    }
    case WM_CHAR:
        if (edit) {
            const int typed = int(wParam);
            // The handler may close the window: nothing is typed then.
            const auto answer = raiseKey(edit->alive(), edit, typed);
            if (!answer || *answer == 0)
                return 0;
            // Enter types nothing into a one-line box: spare it the beep.
            if (typed == enterKey && !edit->multiLine())
                return 0;
            wParam = WPARAM(*answer);
        }
        break;
    case WM_NCDESTROY:
        ::RemovePropW(window, previousProcedure);
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        break;
    default:
        break;
    }
    return ::CallWindowProcW(previous, window, message, wParam, lParam);
}

// Lone line feeds become CR LF, the line break of the edit control: it
// would show a bare LF as a box.
std::wstring withEditLineBreaks(const std::wstring &text)
{
    std::wstring result;
    result.reserve(text.size());
    wchar_t before = 0;
    for (const wchar_t c : text) {
        if (c == L'\n' && before != L'\r')
            result.push_back(L'\r');
        result.push_back(c);
        before = c;
    }
    return result;
}

} // namespace

Edit::Edit(HWND handle, bool multiLine, Watch alive)
    : Child(handle, std::move(alive)), m_multiLine(multiLine)
{
    ::SetWindowLongPtrW(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    const LONG_PTR previous
        = ::SetWindowLongPtrW(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&editProcedure));
    ::SetPropW(handle, previousProcedure, reinterpret_cast<HANDLE>(previous));
}

Text Edit::text() const
{
    return windowText(m_handle);
}

void Edit::setText(const Text &text)
{
    // A multi-line edit control does not report WM_SETTEXT, a one-line one
    // does: report it here, once, for both.
    m_settingText = true;
    const std::wstring wide = toWide(text);
    ::SetWindowTextW(m_handle, (m_multiLine ? withEditLineBreaks(wide) : wide).c_str());
    m_settingText = false;
    raise(m_alive, this, &TextBox::onChange);
}

void Edit::setFocus()
{
    ::SetFocus(m_handle);
}

void Edit::notify(int code)
{
    if (code == EN_CHANGE && !m_settingText)
        raise(m_alive, this, &TextBox::onChange);
}

// ---- list boxes ------------------------------------------------------------

int List::count() const
{
    return int(::SendMessageW(m_handle, LB_GETCOUNT, 0, 0));
}

Text List::item(int index) const
{
    const LRESULT length = ::SendMessageW(m_handle, LB_GETTEXTLEN, WPARAM(index), 0);
    if (length == LB_ERR)
        return {};
    std::wstring text(std::size_t(length) + 1, L'\0');
    const LRESULT copied = ::SendMessageW(
        m_handle, LB_GETTEXT, WPARAM(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied == LB_ERR ? 0 : std::size_t(copied));
    return fromWide(text);
}

void List::addItem(const Text &text)
{
    ::SendMessageW(m_handle, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(toWide(text).c_str()));
}

void List::insertItem(int index, const Text &text)
{
    ::SendMessageW(
        m_handle, LB_INSERTSTRING, WPARAM(index), reinterpret_cast<LPARAM>(toWide(text).c_str()));
}

void List::removeItem(int index)
{
    ::SendMessageW(m_handle, LB_DELETESTRING, WPARAM(index), 0);
}

void List::clear()
{
    ::SendMessageW(m_handle, LB_RESETCONTENT, 0, 0);
    m_picked = false;
}

int List::currentIndex() const
{
    if (!m_picked)
        return -1;
    const LRESULT caret = ::SendMessageW(m_handle, LB_GETCARETINDEX, 0, 0);
    return caret >= 0 && caret < count() ? int(caret) : -1;
}

bool List::isSelected(int index) const
{
    return ::SendMessageW(m_handle, LB_GETSEL, WPARAM(index), 0) > 0;
}

void List::notify(int code)
{
    if (code != LBN_SELCHANGE)
        return;
    m_picked = true;
    raise(m_alive, this, &ListBox::onClick);
}

// ---- buttons, check boxes, labels --------------------------------------------

void PushButton::setCaption(const Text &caption)
{
    setWindowText(m_handle, caption);
}

bool PushButton::isEnabled() const
{
    return ::IsWindowEnabled(m_handle) != FALSE;
}

void PushButton::setEnabled(bool enabled)
{
    // A disabled window keeps no focus: pass it on, as a dialog does, so
    // that the keyboard still reaches the window.
    if (!enabled && ::GetFocus() == m_handle) {
        const HWND parent = ::GetParent(m_handle);
        if (const HWND next = ::GetNextDlgTabItem(parent, m_handle, FALSE);
            next && next != m_handle)
            ::SetFocus(next);
    }
    ::EnableWindow(m_handle, enabled ? TRUE : FALSE);
}

void PushButton::notify(int code)
{
    if (code == BN_CLICKED)
        raise(m_alive, this, &Button::onClick);
}

CheckBox::State Check::state() const
{
    switch (::SendMessageW(m_handle, BM_GETCHECK, 0, 0)) {
    case BST_CHECKED:
        return Checked;
    case BST_INDETERMINATE:
        return Grayed;
    default:
        return Unchecked;
    }
}

void Check::setState(State state)
{
    const WPARAM check = state == Checked ? BST_CHECKED
        : state == Grayed                 ? BST_INDETERMINATE
                                          : BST_UNCHECKED;
    ::SendMessageW(m_handle, BM_SETCHECK, check, 0);
}

void Check::notify(int code)
{
    if (code == BN_CLICKED)
        setState(state() == Checked ? Unchecked : Checked);
}

void StaticText::setCaption(const Text &caption)
{
    setWindowText(m_handle, caption);
}

// ---- timers --------------------------------------------------------------------

IntervalTimer::IntervalTimer(HWND owner, UINT_PTR id, int interval, bool enabled, Watch alive)
    : m_owner(owner), m_id(id), m_interval(interval), m_enabled(enabled), m_alive(std::move(alive))
{
    apply();
}

void IntervalTimer::setInterval(int milliseconds)
{
    m_interval = milliseconds;
    apply();
}

void IntervalTimer::setEnabled(bool enabled)
{
    m_enabled = enabled;
    apply();
}

void IntervalTimer::apply()
{
    // SetTimer would make a period of 0 the shortest one; here it means no
    // tick at all.
    if (m_enabled && m_interval > 0)
        ::SetTimer(m_owner, m_id, UINT(m_interval), nullptr);
    else
        ::KillTimer(m_owner, m_id);
}

void IntervalTimer::tick()
{
    if (m_enabled && m_interval > 0)
        raise(m_alive, this, &Timer::onTick);
}

// ---- drive, folder and file lists ------------------------------------------------

namespace {

// A drive without a medium must not bring up the system's "insert a disk"
// box while the lists look at it.
class QuietErrors
{
public:
    QuietErrors()
    {
        m_set = ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &m_previous);
    }
    ~QuietErrors()
    {
        if (m_set)
            ::SetThreadErrorMode(m_previous, nullptr);
    }
    QuietErrors(const QuietErrors &) = delete;
    QuietErrors &operator=(const QuietErrors &) = delete;

private:
    DWORD m_previous = 0;
    bool m_set = false;
};

std::wstring currentFolder()
{
    const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
    std::wstring folder(size, L'\0');
    folder.resize(::GetCurrentDirectoryW(size, folder.data()));
    return folder;
}

std::wstring withBackslash(std::wstring path)
{
    if (path.empty() || path.back() != L'\\')
        path.push_back(L'\\');
    return path;
}

// The length of the root of a full path: "C:\" or "\\server\share\".
std::size_t rootLength(const std::wstring &path)
{
    if (path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\') {
        std::size_t at = path.find(L'\\', 2);
        if (at != std::wstring::npos)
            at = path.find(L'\\', at + 1);
        return at == std::wstring::npos ? path.size() : at + 1;
    }
    return std::min<std::size_t>(path.size(), 3);
}

void addString(HWND list, const std::wstring &text)
{
    ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

} // namespace

Text errorText(DWORD error)
{
    wchar_t *buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    std::wstring text = length ? std::wstring(buffer, length) : std::wstring();
    if (buffer)
        ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    if (!text.empty() && text.back() == L'.')
        text.pop_back();
    if (text.empty())
        text = L"Error " + std::to_wstring(error);
    return fromWide(text);
}

Listing listFolder(const std::wstring &folder, bool directories)
{
    const QuietErrors quiet;
    Listing listing;
    WIN32_FIND_DATAW entry;
    const HANDLE search = ::FindFirstFileW((withBackslash(folder) + L"*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // An empty root folder has not even "." to show.
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_NO_MORE_FILES)
            listing.error = error;
        return listing;
    }
    do {
        const DWORD attributes = entry.dwFileAttributes;
        if (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
            continue;
        if (bool(attributes & FILE_ATTRIBUTE_DIRECTORY) != directories)
            continue;
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..")
            continue;
        listing.names.push_back(name);
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
    std::sort(listing.names.begin(), listing.names.end(),
        [](const std::wstring &a, const std::wstring &b) {
            return ::lstrcmpiW(a.c_str(), b.c_str()) < 0;
        });
    return listing;
}

DriveCombo::DriveCombo(HWND handle, Watch alive) : Child(handle, std::move(alive))
{
    const QuietErrors quiet;
    wchar_t roots[512] = {};
    const DWORD length = ::GetLogicalDriveStringsW(DWORD(std::size(roots) - 1), roots);
    const std::wstring current = currentFolder();
    int selected = -1;
    for (const wchar_t *root = roots; length && length < std::size(roots) && *root;
         root += wcslen(root) + 1) {
        // Drive letters are ASCII; Windows' drive lists show them in lower case.
        const std::wstring drive = {wchar_t(std::towlower(root[0])), L':'};
        std::wstring text = drive;
        wchar_t label[MAX_PATH + 1] = {};
        const UINT type = ::GetDriveTypeW(root);
        // Removable drives are not asked: that would spin up an empty one.
        if (type != DRIVE_REMOVABLE
            && ::GetVolumeInformationW(
                root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0)
            && label[0])
            text += L" [" + std::wstring(label) + L"]";
        if (!current.empty() && std::towlower(current[0]) == std::towlower(root[0]))
            selected = int(m_drives.size());
        m_drives.push_back(drive);
        ::SendMessageW(handle, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    ::SendMessageW(handle, CB_SETCURSEL, WPARAM(selected), 0);
}

Text DriveCombo::drive() const
{
    const LRESULT index = ::SendMessageW(m_handle, CB_GETCURSEL, 0, 0);
    if (index < 0 || std::size_t(index) >= m_drives.size())
        return {};
    return fromWide(m_drives[std::size_t(index)]);
}

void DriveCombo::notify(int code)
{
    if (code == CBN_SELCHANGE)
        raise(m_alive, this, &DriveList::onChange);
}

FolderTree::FolderTree(HWND handle, Watch alive) : Child(handle, std::move(alive))
{
    setPath(fromWide(currentFolder()));
}

std::optional<Text> FolderTree::setPath(const Text &path)
{
    // Relative to the current folder; "c:" alone is that drive's current
    // folder.  The current folder itself is never changed.
    const std::wstring wide = toWide(path);
    const DWORD size = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return errorText(::GetLastError());
    std::wstring full(size, L'\0');
    full.resize(::GetFullPathNameW(wide.c_str(), size, full.data(), nullptr));
    while (full.size() > rootLength(full) && full.back() == L'\\')
        full.pop_back();

    const QuietErrors quiet;
    const DWORD attributes = ::GetFileAttributesW(withBackslash(full).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return errorText(::GetLastError());
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return errorText(ERROR_DIRECTORY);
    const Listing listing = listFolder(full, true);
    if (listing.error)
        return errorText(listing.error);

    m_path = full;
    fill();
    return std::nullopt;
}

void FolderTree::fill()
{
    ::SendMessageW(m_handle, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(m_handle, LB_RESETCONTENT, 0, 0);
    m_rows.clear();

    // The path from the root down, each folder one step further in.
    const std::size_t root = rootLength(m_path);
    std::wstring indent;
    m_rows.push_back(withBackslash(m_path.substr(0, root)));
    addString(m_handle, m_rows.back());
    for (std::size_t from = root; from < m_path.size();) {
        std::size_t to = m_path.find(L'\\', from);
        if (to == std::wstring::npos)
            to = m_path.size();
        indent += L"  ";
        m_rows.push_back(m_path.substr(0, to));
        addString(m_handle, indent + m_path.substr(from, to - from));
        from = to + 1;
    }
    ::SendMessageW(m_handle, LB_SETCURSEL, WPARAM(m_rows.size() - 1), 0);
    indent += L"  ";
    for (const std::wstring &name : listFolder(m_path, true).names) {
        m_rows.push_back(withBackslash(m_path) + name);
        addString(m_handle, indent + name);
    }
    ::SendMessageW(m_handle, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(m_handle, nullptr, TRUE);
}

void FolderTree::notify(int code)
{
    if (code != LBN_DBLCLK)
        return;
    const LRESULT row = ::SendMessageW(m_handle, LB_GETCURSEL, 0, 0);
    if (row < 0 || std::size_t(row) >= m_rows.size())
        return;
    // A folder that cannot be opened is passed over.
    if (!setPath(fromWide(m_rows[std::size_t(row)])))
        raise(m_alive, this, &FolderList::onChange);
}

FileNames::FileNames(HWND handle, Watch alive) : Child(handle, std::move(alive))
{
    setPath(fromWide(currentFolder()));
}

void FileNames::setPath(const Text &path)
{
    m_path = toWide(path);
    ::SendMessageW(m_handle, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(m_handle, LB_RESETCONTENT, 0, 0);
    for (const std::wstring &name : listFolder(m_path, false).names)
        addString(m_handle, name);
    ::SendMessageW(m_handle, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(m_handle, nullptr, TRUE);
}

Text FileNames::selectedName() const
{
    const LRESULT row = ::SendMessageW(m_handle, LB_GETCURSEL, 0, 0);
    if (row < 0)
        return {};
    const LRESULT length = ::SendMessageW(m_handle, LB_GETTEXTLEN, WPARAM(row), 0);
    std::wstring name(std::size_t(std::max<LRESULT>(length, 0)) + 1, L'\0');
    const LRESULT copied
        = ::SendMessageW(m_handle, LB_GETTEXT, WPARAM(row), reinterpret_cast<LPARAM>(name.data()));
    name.resize(copied < 0 ? 0 : std::size_t(copied));
    return fromWide(name);
}

void FileNames::notify(int code)
{
    if (code == LBN_DBLCLK)
        raise(m_alive, this, &FileList::onDoubleClick);
}

} // namespace forms::win32
