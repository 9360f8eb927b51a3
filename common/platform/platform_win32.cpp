// Win32 side of the platform layer: the Messenger service through netapi32,
// the computer name and file look-ups through kernel32.  Standard C++ and
// Win32 only, so that it builds with MinGW-w64 without Qt.
#include "platform.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 text is UTF-16: wchar_t must be 16-bit");

namespace {

using NetMessageBufferSendFn = DWORD(WINAPI *)(
    LPCWSTR servername, LPCWSTR msgname, LPCWSTR fromname, LPBYTE buf, DWORD buflen);

// netapi32 is looked up on the first send instead of being imported, so that
// the programs still start where it is missing.  The answer, found or not,
// holds for the rest of the run.
NetMessageBufferSendFn netMessageBufferSend()
{
    static const NetMessageBufferSendFn function = []() -> NetMessageBufferSendFn {
        HMODULE netapi = ::LoadLibraryW(L"netapi32.dll");
        if (!netapi)
            return nullptr;
        FARPROC entry = ::GetProcAddress(netapi, "NetMessageBufferSend");
        // The detour through void (*)() keeps GCC's function-cast warning quiet.
        return reinterpret_cast<NetMessageBufferSendFn>(reinterpret_cast<void (*)()>(entry));
    }();
    return function;
}

std::wstring toWide(const std::u16string &text)
{
    return std::wstring(text.begin(), text.end());
}

} // namespace

bool BroadcastMessage(const std::u16string &sToUser, const std::u16string & /*sFromUser*/,
    const std::u16string &sMessage)
{
    const NetMessageBufferSendFn send = netMessageBufferSend();
    if (!send)
        return false;

    // The recipient goes as typed: the service resolves it, not us.
    const std::wstring recipient = toWide(sToUser);
    std::vector<wchar_t> buffer(sMessage.begin(), sMessage.end());
    buffer.push_back(L'\0');
    // The length covers the text and the low byte of its terminator (2n + 1),
    // the way receivers have always been handed these messages.
    const DWORD length = static_cast<DWORD>(2 * sMessage.size() + 1);
    // No server (this computer sends) and no sender name: the service puts in
    // the name of this computer itself.
    return send(
               nullptr, recipient.c_str(), nullptr, reinterpret_cast<LPBYTE>(buffer.data()), length)
        == 0;
}

std::u16string ComputerName()
{
    char name[255];
    std::memset(name, ' ', sizeof name);
    DWORD size = sizeof name;
    if (::GetComputerNameA(name, &size) == 0)
        return {};

    // The name is in the ANSI code page; the whole buffer is converted and
    // the text ends at the terminator the call wrote.
    const int units = ::MultiByteToWideChar(CP_ACP, 0, name, sizeof name, nullptr, 0);
    if (units <= 0)
        return {};
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, name, sizeof name, wide.data(), units);
    const std::size_t end = wide.find(L'\0');
    if (end == std::wstring::npos)
        return {};
    return std::u16string(wide.begin(), wide.begin() + static_cast<std::ptrdiff_t>(end));
}

std::u16string AddSlash(std::u16string AddPath)
{
    if (AddPath.empty() || AddPath.back() != u'\\')
        AddPath.push_back(u'\\');
    return AddPath;
}

bool FileExists(const std::u16string &sSource)
{
    // A terminator inside the text would make the look-up answer for a
    // shorter name than the one asked about.
    if (sSource.find(u'\0') != std::u16string::npos)
        return false;
    const std::wstring pattern = toWide(sSource);

    // A drive without a medium must not bring up the system's "insert a disk"
    // box: the caller only wants a yes or no.
    DWORD previousMode = 0;
    const bool modeSet
        = ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);

    // The first match of a wildcard may be a folder or a hidden file; any
    // ordinary file among the matches is enough.
    constexpr DWORD notOrdinary
        = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    bool found = false;
    WIN32_FIND_DATAW entry;
    const HANDLE search = ::FindFirstFileW(pattern.c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            found = (entry.dwFileAttributes & notOrdinary) == 0;
        } while (!found && ::FindNextFileW(search, &entry));
        ::FindClose(search);
    }

    if (modeSet)
        ::SetThreadErrorMode(previousMode, nullptr);
    return found;
}
