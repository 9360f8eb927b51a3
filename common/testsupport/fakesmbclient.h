// A stand-in smbclient: a shell script in a folder of its own, which is all
// of PATH while it lives, so the real smbclient cannot be reached.  It
// records each run's arguments and standard input and ends as it is told.
#pragma once

#include "tempfolder.h"

#include <string>
#include <vector>

namespace testsupport {

struct SmbclientRun
{
    std::vector<std::string> arguments; // without the program name
    std::string standardInput;
};

class FakeSmbclient
{
public:
    FakeSmbclient();
    ~FakeSmbclient();
    FakeSmbclient(const FakeSmbclient &) = delete;
    FakeSmbclient &operator=(const FakeSmbclient &) = delete;

    // How the next runs end: exit code, a line on standard error, a signal.
    void exitWith(int code);
    void writeToStderr(const std::string &line);
    void killWith(int signal);

    // Makes smbclient unreachable: PATH names only an empty folder.
    void hide();

    std::vector<SmbclientRun> runs() const;
    bool ran() const { return !runs().empty(); }
    SmbclientRun lastRun() const;
    std::string folder() const { return m_folder.path().string(); }

private:
    TempFolder m_folder;
    TempFolder m_empty;
    std::string m_oldPath;
    bool m_hadPath = false;
};

} // namespace testsupport
