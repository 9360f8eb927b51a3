// What the contract tests need from the platform under test: a stand-in for
// its messaging service, and the few facts that differ between Windows and
// POSIX.  posix/probe_posix.cpp and win32/probe_win32.cpp implement it.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
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

} // namespace probe
