#include "fakesmbclient.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace testsupport {

namespace {

std::string readAll(const std::filesystem::path &file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

FakeSmbclient::FakeSmbclient()
{
    // Only absolute paths inside: PATH names nothing but this folder.
    const std::string folder = m_folder.path().string();
    m_folder.writeFile("smbclient",
        "#!/bin/sh\n"
        "d='"
            + folder
            + "'\n"
              "n=$(( $(/bin/cat \"$d/count\" 2>/dev/null || echo 0) + 1 ))\n"
              "echo \"$n\" > \"$d/count\"\n"
              "for a in \"$@\"; do printf '%s\\000' \"$a\"; done > \"$d/argv.$n\"\n"
              "/bin/cat > \"$d/stdin.$n\"\n"
              "echo 'Type your message, ending it with a Control-D'\n"
              "if [ -s \"$d/stderr\" ]; then /bin/cat \"$d/stderr\" >&2; fi\n"
              "if [ -s \"$d/signal\" ]; then kill -\"$(/bin/cat \"$d/signal\")\" $$; fi\n"
              "exit \"$(/bin/cat \"$d/exit\" 2>/dev/null || echo 0)\"\n");
    std::filesystem::permissions(m_folder.path() / "smbclient",
        std::filesystem::perms::owner_all | std::filesystem::perms::group_read
            | std::filesystem::perms::group_exec);

    if (const char *path = std::getenv("PATH")) {
        m_oldPath = path;
        m_hadPath = true;
    }
    ::setenv("PATH", folder.c_str(), 1);
}

FakeSmbclient::~FakeSmbclient()
{
    if (m_hadPath)
        ::setenv("PATH", m_oldPath.c_str(), 1);
    else
        ::unsetenv("PATH");
}

void FakeSmbclient::exitWith(int code)
{
    m_folder.writeFile("exit", std::to_string(code));
}

void FakeSmbclient::writeToStderr(const std::string &line)
{
    m_folder.writeFile("stderr", line + '\n');
}

void FakeSmbclient::killWith(int signal)
{
    m_folder.writeFile("signal", std::to_string(signal));
}

void FakeSmbclient::hide()
{
    ::setenv("PATH", m_empty.path().c_str(), 1);
}

SmbclientRun FakeSmbclient::lastRun() const
{
    const auto all = runs();
    return all.empty() ? SmbclientRun() : all.back();
}

std::vector<SmbclientRun> FakeSmbclient::runs() const
{
    std::vector<SmbclientRun> result;
    const std::string count = readAll(m_folder.path() / "count");
    const int n = count.empty() ? 0 : std::stoi(count);
    for (int i = 1; i <= n; ++i) {
        SmbclientRun run;
        const std::string argv = readAll(m_folder.path() / ("argv." + std::to_string(i)));
        for (std::size_t from = 0; from < argv.size();) {
            const std::size_t end = argv.find('\0', from);
            run.arguments.push_back(argv.substr(from, end - from));
            from = end + 1;
        }
        run.standardInput = readAll(m_folder.path() / ("stdin." + std::to_string(i)));
        result.push_back(run);
    }
    return result;
}

} // namespace testsupport
