// A stand-in smbclient: a shell script in a folder of its own, which is all
// of PATH while it lives, so the real smbclient cannot be reached.  It
// records each run's arguments and standard input and ends as it is told.
#pragma once

#include "../tempfolder.h"

#include <string>
#include <vector>

namespace probe {

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

    void exitWith(int code);
    void writeToStderr(const std::string &line);

    std::vector<SmbclientRun> runs() const;

private:
    TempFolder m_folder;
    std::string m_oldPath;
    bool m_hadPath = false;
};

} // namespace probe
