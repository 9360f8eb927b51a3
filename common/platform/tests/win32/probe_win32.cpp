// The Win32 platform as the contract tests see it: a stand-in netapi32.dll is
// the messaging service, "\" the separator, file attributes hide.
#include "../probe.h"
#include "fakenetapi.h"

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace probe {

struct MessageService::Private
{
    FakeNetapi netapi;
};

MessageService::MessageService() : d(std::make_unique<Private>()) { }
MessageService::~MessageService() = default;

std::vector<std::string> MessageService::refusals()
{
    // NERR_NameNotFound, ERROR_ACCESS_DENIED, and the smallest failure.
    return {"status 2273", "status 5", "status 1"};
}

void MessageService::refuse(const std::string &how)
{
    d->netapi.answer(std::stoul(how.substr(how.find(' ') + 1)));
}

std::vector<Handover> MessageService::handovers() const
{
    std::vector<Handover> result;
    for (const NetapiCall &call : d->netapi.calls()) {
        // The message is the whole units the length covers.
        const std::string units = call.buffer.substr(0, call.length / 2 * 4);
        result.push_back({fromUtf16Hex(call.recipient), fromUtf16Hex(units)});
    }
    return result;
}

std::u16string lineBreak()
{
    return u"\r\n";
}

std::vector<SlashCase> addSlashCases()
{
    return {
        {"Empty", u"", u"\\"},
        {"DriveRoot", u"C:\\", u"C:\\"},
        {"Folder", u"C:\\Tools", u"C:\\Tools\\"},
        {"ForwardSlashIsNoSeparator", u"C:/Tools/", u"C:/Tools/\\"},
        {"Share", u"\\\\server\\share", u"\\\\server\\share\\"},
    };
}

namespace {

bool addAttribute(const std::filesystem::path &path, DWORD attribute)
{
    const DWORD before = ::GetFileAttributesW(path.c_str());
    if (before == INVALID_FILE_ATTRIBUTES
        || !::SetFileAttributesW(path.c_str(), before | attribute))
        return false;
    const DWORD after = ::GetFileAttributesW(path.c_str());
    return after != INVALID_FILE_ATTRIBUTES && (after & attribute) != 0;
}

} // namespace

std::vector<Concealment> concealments()
{
    const auto sameName = [](const std::string &name) { return name; };
    return {
        {"the hidden attribute", sameName,
            [](const std::filesystem::path &path) {
                return addAttribute(path, FILE_ATTRIBUTE_HIDDEN);
            }},
        {"the system attribute", sameName,
            [](const std::filesystem::path &path) {
                return addAttribute(path, FILE_ATTRIBUTE_SYSTEM);
            }},
    };
}

std::u16string pathOnMissingRoot()
{
    const DWORD drives = ::GetLogicalDrives();
    for (char16_t letter = u'Y'; letter > u'C'; --letter) {
        if ((drives & (1u << (letter - u'A'))) == 0)
            return std::u16string {letter} + u":\\note.txt";
    }
    return u"\\\\?\\Volume{00000000-0000-0000-0000-000000000000}\\note.txt";
}

std::u16string nativeText(const std::filesystem::path &path)
{
    return std::filesystem::path(path).make_preferred().u16string();
}

namespace {

// A Linux file as Wine shows it, on its drive Z:; empty outside Wine.
std::filesystem::path dosPathOf(const char *unixPath)
{
    using DosFileName = WCHAR *(CDECL *)(const char *);
    const FARPROC entry
        = ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name");
    if (!entry)
        return {};
    WCHAR *dosName = reinterpret_cast<DosFileName>(reinterpret_cast<void (*)()>(entry))(unixPath);
    if (!dosName)
        return {};
    std::filesystem::path path(dosName);
    ::HeapFree(::GetProcessHeap(), 0, dosName);
    return path;
}

// Under Wine the computer name comes from the Linux host name, upper-cased
// and cut to the 15 characters a NetBIOS name holds.
std::u16string wineComputerName()
{
    std::ifstream file {dosPathOf("/proc/sys/kernel/hostname")};
    std::string host;
    std::getline(file, host);
    std::u16string name;
    for (const char c : host.substr(0, 15))
        name.push_back(static_cast<char16_t>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c));
    return name;
}

bool runsUnderWine()
{
    return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

} // namespace

std::u16string expectedComputerName()
{
    if (runsUnderWine())
        return wineComputerName();
    wchar_t name[64];
    const DWORD n = ::GetEnvironmentVariableW(L"COMPUTERNAME", name, 64);
    return n == 0 || n >= 64 ? std::u16string() : std::u16string(name, name + n);
}

namespace {

// Whether Wine runs as root, who passes every permission check; the Linux
// side of the process says so in /proc.
bool wineRunsAsRoot()
{
    std::ifstream file {dosPathOf("/proc/self/status")};
    for (std::string line; std::getline(file, line);) {
        if (line.rfind("Uid:", 0) == 0) {
            std::istringstream ids(line.substr(4));
            unsigned long real = 1, effective = 1;
            ids >> real >> effective;
            return effective == 0;
        }
    }
    return false;
}

} // namespace

bool takeWriteAccess(const std::filesystem::path &path)
{
    if (!addAttribute(path, FILE_ATTRIBUTE_READONLY))
        return false;
    if (!std::filesystem::is_directory(path))
        return true;
    // Windows lets anyone write into a folder that carries the attribute;
    // Wine may not.  Only a folder that refuses a new file counts as locked.
    const auto trial = path / "trial";
    const HANDLE file = ::CreateFileW(
        trial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return true;
    ::CloseHandle(file);
    ::DeleteFileW(trial.c_str());
    return false;
}

void giveWriteAccess(const std::filesystem::path &path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        ::SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
}

std::optional<bool> asOrdinaryUser(const std::function<bool()> &check)
{
    if (runsUnderWine() && wineRunsAsRoot())
        return std::nullopt;
    return check();
}

std::string eAcuteBytes()
{
    // The Western and Central European code pages keep it at 0xE9.
    const UINT codePage = ::GetACP();
    return codePage == 1252 || codePage == 1250 || codePage == 1254 ? "\xe9" : "";
}

bool eightBitHoldsEverything()
{
    return ::GetACP() == CP_UTF8;
}

namespace {

// The test program's own file, as the C runtime found it at start.
std::filesystem::path testProgram()
{
    return _pgmptr ? std::filesystem::path(_pgmptr) : std::filesystem::path();
}

} // namespace

std::u16string expectedProgramFolder()
{
    const auto program = testProgram();
    return program.empty() ? std::u16string() : nativeText(program.parent_path());
}

std::filesystem::path childProgram()
{
    return testProgram().parent_path() / "platform_start_child.exe";
}

bool waitForFile(const std::filesystem::path &path, std::chrono::milliseconds timeout)
{
    const HANDLE change = ::FindFirstChangeNotificationW(
        path.parent_path().c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
    if (change == INVALID_HANDLE_VALUE)
        return std::filesystem::exists(path);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    bool found = std::filesystem::exists(path);
    while (!found) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0
            || ::WaitForSingleObject(change, static_cast<DWORD>(left.count())) != WAIT_OBJECT_0) {
            found = std::filesystem::exists(path);
            break;
        }
        // Watch again before looking: a change in between would be lost.
        if (!::FindNextChangeNotification(change)) {
            found = std::filesystem::exists(path);
            break;
        }
        found = std::filesystem::exists(path);
    }
    ::FindCloseChangeNotification(change);
    return found;
}

bool childSeesCommandLine()
{
    return true;
}

std::string expectedShowState()
{
    return std::to_string(SW_SHOWNORMAL);
}

} // namespace probe
