// The Win32 platform as the contract tests see it: a stand-in netapi32.dll is
// the messaging service, "\" the separator, file attributes hide.
#include "../probe.h"
#include "fakenetapi.h"

#include <windows.h>

#include <fstream>

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

// Under Wine the computer name comes from the Linux host name, upper-cased
// and cut to the 15 characters a NetBIOS name holds.
std::u16string wineComputerName()
{
    using DosFileName = WCHAR *(CDECL *)(const char *);
    const FARPROC entry
        = ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name");
    if (!entry)
        return {};
    WCHAR *dosName = reinterpret_cast<DosFileName>(reinterpret_cast<void (*)()>(entry))(
        "/proc/sys/kernel/hostname");
    if (!dosName)
        return {};
    std::ifstream file {std::filesystem::path(dosName)};
    ::HeapFree(::GetProcessHeap(), 0, dosName);
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

} // namespace probe
