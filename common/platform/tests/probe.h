// What the contract tests need from the platform under test: a stand-in for
// its messaging service, and the few facts that differ between Windows and
// POSIX.  posix/probe_posix.cpp and win32/probe_win32.cpp implement it.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace probe {

// One message as the messaging service received it.
struct Handover
{
    std::u16string recipient;
    std::u16string message;
};

// Takes the place of the real messaging service for as long as it lives, so
// that nothing leaves this computer.  It accepts every message until told
// otherwise.
class MessageService
{
public:
    MessageService();
    ~MessageService();
    MessageService(const MessageService &) = delete;
    MessageService &operator=(const MessageService &) = delete;

    // The ways this service can turn a message down, by name.
    static std::vector<std::string> refusals();
    void refuse(const std::string &how);

    // Every message handed over since this stand-in was set up, in order.
    std::vector<Handover> handovers() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// What ends a line in a message typed on this platform.
std::u16string lineBreak();

struct SlashCase
{
    const char *name;
    std::u16string path;
    std::u16string expected;
};
std::vector<SlashCase> addSlashCases();
inline void PrintTo(const SlashCase &c, std::ostream *out)
{
    *out << c.name;
}

// One way of making a file or folder count as hidden.  Hiding may need a
// new name (a leading dot) as well as a step after the entry exists; hide()
// answers false when this file system cannot keep the mark.
struct Concealment
{
    std::string name;
    std::function<std::string(const std::string &)> nameFor;
    std::function<bool(const std::filesystem::path &)> hide;
};
std::vector<Concealment> concealments();

// A path on a drive or top-level folder that does not exist.
std::u16string pathOnMissingRoot();

// The path as the platform's programs write it.
std::u16string nativeText(const std::filesystem::path &path);

// This computer's name as the system reports it, found out without the code
// under test; empty when that cannot be done here.
std::u16string expectedComputerName();

// ---- Files and folders -----------------------------------------------------------

// Takes write permission away from a file or a folder; false when this
// platform cannot take it (Windows does not protect a folder by attribute).
bool takeWriteAccess(const std::filesystem::path &path);
// Gives it back, so that the test's folder can be removed.
void giveWriteAccess(const std::filesystem::path &path);

// Runs check as a user whom permission bits bind: this process, or, when it
// runs as root, a child process that has dropped to nobody.  nullopt when
// that cannot be done here (Wine run as root: its prefix belongs to root).
std::optional<bool> asOrdinaryUser(const std::function<bool()> &check);

// The bytes of "\u00e9" in the platform's 8-bit files: UTF-8 on POSIX, the
// ANSI code page on Windows; empty when this code page has no such letter.
std::string eAcuteBytes();

// Whether the 8-bit files hold every character (UTF-8), or only those of the
// ANSI code page.
bool eightBitHoldsEverything();

// What ProgramFolder must answer, after preparing the platform for the
// question (POSIX: the application name and the settings base folder).
std::u16string expectedProgramFolder();

// ---- Starting programs ---------------------------------------------------------------

// The child of the start tests (start_child.cpp), beside the test program.
std::filesystem::path childProgram();

// Waits for path to appear, watching its folder; true when it is there.
bool waitForFile(const std::filesystem::path &path, std::chrono::milliseconds timeout);

// Whether a started program gets the command line as it was given
// (Windows), besides the words it is split into.
bool childSeesCommandLine();

// The show state a started program is given: "1" (a normal window) on
// Windows, "-" where there is none.
std::string expectedShowState();

} // namespace probe
