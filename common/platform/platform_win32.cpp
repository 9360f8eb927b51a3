// Win32 side of the platform layer: the Messenger service through netapi32,
// the computer name, file look-ups, settings and text files and program start
// through kernel32.  Standard C++ and Win32 only, so that it builds with
// MinGW-w64 without Qt.  The settings file is read and written with the
// project's INI rules, not the profile functions: those write in place, and
// cut long values (Wine keeps their length in 16 bits).
#include "platform.h"

#include "ini/ini.h"
#include "savedfiles.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
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

bool holdsNul(const std::u16string &text)
{
    return text.find(u'\0') != std::u16string::npos;
}

// The text in the ANSI code page; nullopt when a character has no place in
// it (it would be stored as '?') or the text holds a NUL.
std::optional<std::string> toAnsi(const std::u16string &text)
{
    if (text.empty())
        return std::string();
    if (holdsNul(text) || text.size() > INT_MAX)
        return std::nullopt;
    const UINT codePage = ::GetACP();
    // Only code pages other than UTF-8 can lose a character, and only they
    // take the question whether one was lost.
    const bool utf8 = codePage == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL lost = FALSE;
    BOOL *const lostCharacter = utf8 ? nullptr : &lost;
    const auto *wide = reinterpret_cast<const wchar_t *>(text.data());
    const int units = static_cast<int>(text.size());
    const int size
        = ::WideCharToMultiByte(codePage, flags, wide, units, nullptr, 0, nullptr, lostCharacter);
    if (size <= 0 || lost)
        return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (::WideCharToMultiByte(
            codePage, flags, wide, units, bytes.data(), size, nullptr, lostCharacter)
            != size
        || lost)
        return std::nullopt;
    return bytes;
}

std::u16string fromAnsi(std::string_view bytes)
{
    if (bytes.empty() || bytes.size() > INT_MAX)
        return {};
    const int size = static_cast<int>(bytes.size());
    const int units = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    if (units <= 0)
        return {};
    std::u16string text(static_cast<std::size_t>(units), u'\0');
    ::MultiByteToWideChar(
        CP_ACP, 0, bytes.data(), size, reinterpret_cast<wchar_t *>(text.data()), units);
    return text;
}

// Windows does not replace read-only files, and a folder is never replaced.
// Checked here as well because Wine run as root would write them.
bool untouchable(const std::wstring &path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES
        && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0;
}

bool writeAll(HANDLE file, std::string_view bytes)
{
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

// What is at a path, read whole.  What is not a file on a disk (a device, a
// pipe, a folder) is not read, nor is a file larger than largestFile: a
// link to /dev/zero under Wine would otherwise fill the memory.
savedfiles::Current currentFile(const std::u16string &path)
{
    using savedfiles::Current;
    if (path.empty() || holdsNul(path))
        return {Current::Unusable, {}};
    const HANDLE file = ::CreateFileW(toWide(path).c_str(), GENERIC_READ,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        return {error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Current::Missing
                                                                               : Current::Unusable,
            {}};
    }
    Current current {Current::Unusable, {}};
    LARGE_INTEGER size {};
    if (::GetFileType(file) == FILE_TYPE_DISK && ::GetFileSizeEx(file, &size)
        && static_cast<unsigned long long>(size.QuadPart) <= largestFile) {
        std::string bytes;
        bytes.reserve(static_cast<std::size_t>(size.QuadPart));
        std::vector<char> chunk(65536);
        bool ok = true;
        for (;;) {
            DWORD got = 0;
            if (!::ReadFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr)) {
                ok = false;
                break;
            }
            if (got == 0)
                break;
            // The file may grow while it is read.
            if (bytes.size() + got > largestFile) {
                ok = false;
                break;
            }
            bytes.append(chunk.data(), got);
        }
        if (ok)
            current = {Current::Present, std::move(bytes)};
    }
    ::CloseHandle(file);
    return current;
}

// One file of a replacement on its way: the new content beside its target,
// and a second name (a hard link) for what the target holds now.
struct Pending
{
    std::wstring target;
    std::wstring temporary;
    std::wstring backup;
    bool existed = false;
};

// A new name beside target that make takes; empty when none could be had.
template<class Make>
std::wstring besideTarget(const std::wstring &target, const wchar_t *kind, Make make)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring name = target + kind + std::to_wstring(::GetCurrentProcessId()) + L'-'
            + std::to_wstring(attempt);
        if (make(name))
            return name;
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            break;
    }
    return {};
}

bool prepare(const savedfiles::NewContent &content, Pending &pending)
{
    if (content.path.empty() || holdsNul(content.path))
        return false;
    pending.target = toWide(content.path);
    if (untouchable(pending.target))
        return false;
    pending.existed = ::GetFileAttributesW(pending.target.c_str()) != INVALID_FILE_ATTRIBUTES;
    HANDLE file = INVALID_HANDLE_VALUE;
    pending.temporary = besideTarget(pending.target, L".tmp", [&file](const std::wstring &name) {
        file = ::CreateFileW(
            name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        return file != INVALID_HANDLE_VALUE;
    });
    if (pending.temporary.empty())
        return false;
    bool ok = writeAll(file, content.bytes) && ::FlushFileBuffers(file);
    return ::CloseHandle(file) && ok;
}

// Every file in place, all or none, as fileio::replaceTogether does on POSIX:
// all new contents are written first; a move that fails puts back the files
// already moved.
bool replaceFiles(const std::vector<savedfiles::NewContent> &files)
{
    std::vector<Pending> pending(files.size());
    bool ok = true;
    for (std::size_t i = 0; ok && i < files.size(); ++i)
        ok = prepare(files[i], pending[i]);
    // The last file needs no second name: nothing is moved after it.
    for (std::size_t i = 0; ok && i + 1 < pending.size(); ++i) {
        Pending &file = pending[i];
        if (file.existed)
            file.backup = besideTarget(file.target, L".old", [&file](const std::wstring &name) {
                return ::CreateHardLinkW(name.c_str(), file.target.c_str(), nullptr) != 0;
            });
    }
    std::size_t placed = 0;
    while (ok && placed < pending.size()) {
        ok = ::MoveFileExW(pending[placed].temporary.c_str(), pending[placed].target.c_str(),
            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        if (ok)
            pending[placed++].temporary.clear();
    }
    if (!ok) {
        while (placed > 0) {
            Pending &file = pending[--placed];
            if (!file.backup.empty())
                ::MoveFileExW(file.backup.c_str(), file.target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
            else if (!file.existed)
                ::DeleteFileW(file.target.c_str());
            file.backup.clear();
        }
    }
    for (const Pending &file : pending) {
        if (!file.temporary.empty())
            ::DeleteFileW(file.temporary.c_str());
        if (!file.backup.empty())
            ::DeleteFileW(file.backup.c_str());
    }
    return ok;
}

} // namespace

const savedfiles::FileAccess &savedfiles::platformFiles()
{
    static const FileAccess files {
        [](const std::u16string &text) { return toAnsi(text); },
        [](std::string_view bytes) { return fromAnsi(bytes); },
        currentFile,
        replaceFiles,
    };
    return files;
}

SendResult SendMessageTo(
    const std::u16string &toUser, const std::u16string &message, std::stop_token stop)
{
    const NetMessageBufferSendFn send = netMessageBufferSend();
    if (!send)
        return {SendOutcome::CouldNotStart, "netapi32.dll has no NetMessageBufferSend"};
    // A call under way cannot be taken back; one that has not begun can.
    if (stop.stop_requested())
        return {SendOutcome::Failed, "the send was stopped"};

    // The recipient goes as typed: the service resolves it, not us.
    const std::wstring recipient = toWide(toUser);
    std::vector<wchar_t> buffer(message.begin(), message.end());
    buffer.push_back(L'\0');
    // The length covers the text and the low byte of its terminator (2n + 1),
    // the way receivers have always been handed these messages.
    const DWORD length = static_cast<DWORD>(2 * message.size() + 1);
    // No server (this computer sends) and no sender name: the service puts in
    // the name of this computer itself.
    const DWORD status = send(
        nullptr, recipient.c_str(), nullptr, reinterpret_cast<LPBYTE>(buffer.data()), length);
    if (status == 0)
        return {SendOutcome::Delivered, {}};
    return {SendOutcome::Failed, "NetMessageBufferSend answered " + std::to_string(status)};
}

std::optional<SendOutcome> CheckMessage(const std::u16string &)
{
    // The service takes any text; what it cannot deliver it says per host.
    return std::nullopt;
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

std::u16string ProgramFolder()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length
            = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos)
        return {};
    return std::u16string(path.begin(), path.begin() + static_cast<std::ptrdiff_t>(separator));
}

bool EnsureFolder(const std::u16string &path)
{
    if (path.empty() || holdsNul(path))
        return false;
    // Each missing folder from the top down.  (std::filesystem would bring
    // its locale and stream code, most of a megabyte, into the programs.)
    const std::wstring folder = toWide(path);
    const auto isFolder = [](const std::wstring &candidate) {
        const DWORD attributes = ::GetFileAttributesW(candidate.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES
            && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    };
    for (std::size_t at = folder.find_first_of(L"\\/"); at != std::wstring::npos;
         at = folder.find_first_of(L"\\/", at + 1)) {
        const std::wstring parent = folder.substr(0, at);
        // Drive roots and the start of a share name are no folders to make.
        if (!parent.empty() && parent.back() != L':' && parent.back() != L'\\' && !isFolder(parent))
            ::CreateDirectoryW(parent.c_str(), nullptr);
    }
    if (!isFolder(folder))
        ::CreateDirectoryW(folder.c_str(), nullptr);
    return isFolder(folder);
}

namespace {

// advapi32 is bound on the first report, like netapi32 on the first send:
// the programs import nothing beyond the system's core DLLs.
struct EventLog
{
    using Register = HANDLE(WINAPI *)(LPCWSTR server, LPCWSTR source);
    using Report = BOOL(WINAPI *)(HANDLE log, WORD type, WORD category, DWORD id, PSID user,
        WORD count, DWORD dataSize, LPCWSTR *strings, LPVOID data);
    using Deregister = BOOL(WINAPI *)(HANDLE log);
    Register registerSource = nullptr;
    Report report = nullptr;
    Deregister deregisterSource = nullptr;
};

template<typename Function>
Function entryPoint(HMODULE module, const char *name)
{
    // The detour through void (*)() keeps GCC's function-cast warning quiet.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

const EventLog &eventLog()
{
    static const EventLog log = [] {
        EventLog found;
        if (HMODULE advapi = ::LoadLibraryW(L"advapi32.dll")) {
            found.registerSource = entryPoint<EventLog::Register>(advapi, "RegisterEventSourceW");
            found.report = entryPoint<EventLog::Report>(advapi, "ReportEventW");
            found.deregisterSource
                = entryPoint<EventLog::Deregister>(advapi, "DeregisterEventSource");
        }
        return found;
    }();
    return log;
}

// The running program's file name without folder and extension: the source
// its events are logged under.
std::wstring programName()
{
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name(path, length < MAX_PATH ? length : 0);
    name.erase(0, name.find_last_of(L"\\/") + 1);
    const std::size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos && dot > 0)
        name.erase(dot);
    return name.empty() ? std::wstring(L"Quillon") : name;
}

std::wstring systemReason(DWORD error)
{
    // English where the system has it, like every other text of the programs.
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
        | FORMAT_MESSAGE_IGNORE_INSERTS;
    wchar_t *text = nullptr;
    DWORD length = 0;
    for (const DWORD language : {DWORD(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)), DWORD(0)}) {
        length = ::FormatMessageW(
            flags, nullptr, error, language, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
        if (length != 0)
            break;
    }
    std::wstring reason
        = length != 0 ? std::wstring(text, length) : L"error " + std::to_wstring(error);
    ::LocalFree(text);
    // Inserts are left as they are ("%1 is not a valid Win32 application"):
    // they name the program.
    for (std::size_t at = reason.find(L'%'); at != std::wstring::npos && at + 1 < reason.size();
         at = reason.find(L'%', at + 1)) {
        if (reason[at + 1] >= L'1' && reason[at + 1] <= L'9')
            reason.replace(at, 2, L"the program");
    }
    while (!reason.empty()
        && (reason.back() == L'\n' || reason.back() == L'\r' || reason.back() == L' '))
        reason.pop_back();
    return reason;
}

// Says why a command line did not start, because the program ends right
// after (Crier's countdown) with no window left to say it in: on stderr,
// which a window program has only when started with it redirected, and in
// the Application event log, which is where Windows keeps such news.  The
// source is not registered (that takes an installer), so the Event Viewer
// puts its "description cannot be found" note before the text.
void reportNotStarted(const std::wstring &commandLine, const std::wstring &reason)
{
    const std::wstring text = L"could not start \"" + commandLine + L"\": " + reason;
    const std::wstring name = programName();

    const std::wstring line = name + L": " + text + L"\n";
    const int size = ::WideCharToMultiByte(
        CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    if (size > 0) {
        std::string bytes(static_cast<std::size_t>(size), '\0');
        ::WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), bytes.data(),
            size, nullptr, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), stderr);
        std::fflush(stderr);
    }

    const EventLog &log = eventLog();
    if (!log.registerSource || !log.report || !log.deregisterSource)
        return;
    if (HANDLE source = log.registerSource(nullptr, name.c_str())) {
        LPCWSTR strings[] = {text.c_str()};
        log.report(source, EVENTLOG_ERROR_TYPE, 0, 0, nullptr, 1, 0, strings, nullptr);
        log.deregisterSource(source);
    }
}

bool onlyBlanks(const std::u16string &text)
{
    return text.find_first_not_of(u" \t\r\n") == std::u16string::npos;
}

} // namespace

bool StartProgram(const std::u16string &commandLine)
{
    // A line of blanks names no program: there is nothing to start, and
    // nothing went wrong.
    if (onlyBlanks(commandLine))
        return false;
    const std::wstring line = toWide(commandLine);
    if (holdsNul(commandLine)) {
        reportNotStarted(
            line.substr(0, line.find(L'\0')), L"its command line holds a NUL character");
        return false;
    }
    // CreateProcessW may write into the command line: it gets a copy.
    std::wstring writable = line;
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process {};
    if (!::CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
            &startup, &process)) {
        const DWORD error = ::GetLastError();
        reportNotStarted(line, systemReason(error));
        return false;
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return true;
}
