// Commands of the Linux host, run from a Windows test under Wine: for the
// faults only the host can make (a FIFO, a link to a device, a small disk,
// an immutable folder).  Wine starts a Linux program named by its Z: path
// but cannot wait for it, so the command writes its exit status into a file
// that is waited for.
#pragma once

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace unixcommand {

// The host's path of a Windows path; nullopt when this is not Wine.
inline std::optional<std::string> hostPath(const std::filesystem::path &path)
{
    using Convert = char *(CDECL *)(const wchar_t *);
    const FARPROC entry
        = ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name");
    if (!entry)
        return std::nullopt;
    const auto convert = reinterpret_cast<Convert>(reinterpret_cast<void (*)()>(entry));
    char *name = convert(path.wstring().c_str());
    if (!name)
        return std::nullopt;
    std::string result(name);
    ::HeapFree(::GetProcessHeap(), 0, name);
    return result;
}

// Runs script with the host's /bin/sh; its exit status, or nullopt when it
// could not be run (not Wine) or did not end in time.
inline std::optional<int> run(
    const std::string &script, std::chrono::milliseconds timeout = std::chrono::seconds(10))
{
    wchar_t folder[MAX_PATH];
    if (::GetTempPathW(MAX_PATH, folder) == 0)
        return std::nullopt;
    const std::filesystem::path base = std::filesystem::path(folder)
        / ("quillon-unix-" + std::to_string(::GetCurrentProcessId()) + '-'
            + std::to_string(::GetTickCount64()));
    const std::filesystem::path scriptFile = base.string() + ".sh";
    const std::filesystem::path statusFile = base.string() + ".status";
    const auto hostScript = hostPath(scriptFile);
    const auto hostStatus = hostPath(statusFile);
    if (!hostScript || !hostStatus)
        return std::nullopt;
    std::ofstream(scriptFile, std::ios::binary)
        << "(\n"
        << script << "\n) >/dev/null 2>&1\necho $? >'" << *hostStatus << ".new'\nmv '"
        << *hostStatus << ".new' '" << *hostStatus << "'\n";

    // The arguments reach the host's program as they stand.
    std::wstring command = L"Z:\\bin\\sh \"" + std::filesystem::path(*hostScript).wstring() + L"\"";
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process {};
    std::optional<int> status;
    if (::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
            &startup, &process)) {
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!status && std::chrono::steady_clock::now() < deadline) {
            std::ifstream in(statusFile);
            int code = 0;
            if (in >> code)
                status = code;
            else
                ::Sleep(10);
        }
    }
    std::error_code ignored;
    std::filesystem::remove(scriptFile, ignored);
    std::filesystem::remove(statusFile, ignored);
    return status;
}

// A word for the host's shell, quoted.
inline std::string quoted(const std::string &word)
{
    std::string result = "'";
    for (const char c : word)
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
}

} // namespace unixcommand
