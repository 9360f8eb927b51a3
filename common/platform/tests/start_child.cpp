// The program that the start tests start: records that it ran, the command
// line it got (Windows), its show state and its arguments, into the file
// named by its first argument.  The record is written under another name and
// renamed, so that it appears whole.  Lines of the record:
//   line=<command line, empty on POSIX>
//   show=<the show state it was given, "-" when none>
//   arg=<one per argument after the program name>
// and on POSIX:
//   session=<"own" when it leads a session of its own, else "shared">
//   stdin=<"/dev/null", or "other">
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace {

#ifdef _WIN32
std::string utf8(const wchar_t *text)
{
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string bytes(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), size, nullptr, nullptr);
    bytes.pop_back();
    return bytes;
}
#endif

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    const std::filesystem::path record = argv[1];
    std::filesystem::path partial = record;
    partial += ".part";
    {
        std::ofstream out(partial, std::ios::binary);
#ifdef _WIN32
        STARTUPINFOW startup {};
        startup.cb = sizeof startup;
        ::GetStartupInfoW(&startup);
        out << "line=" << utf8(::GetCommandLineW()) << '\n';
        if (startup.dwFlags & STARTF_USESHOWWINDOW)
            out << "show=" << startup.wShowWindow << '\n';
        else
            out << "show=-\n";
#else
        out << "line=\nshow=-\n";
        out << "session=" << (::getsid(0) == ::getpid() ? "own" : "shared") << '\n';
        struct stat input;
        struct stat null;
        const bool fromNull = ::fstat(STDIN_FILENO, &input) == 0 && ::stat("/dev/null", &null) == 0
            && S_ISCHR(input.st_mode) && input.st_rdev == null.st_rdev;
        out << "stdin=" << (fromNull ? "/dev/null" : "other") << '\n';
#endif
        for (int i = 1; i < argc; ++i)
            out << "arg=" << argv[i] << '\n';
        if (!out.flush())
            return 1;
    }
    std::error_code error;
    std::filesystem::rename(partial, record, error);
    return error ? 1 : 0;
}
