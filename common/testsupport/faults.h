// Faults for tests: acting as a user whom permission bits bind, and a disk
// that is full.  Plain C++ and POSIX, for GoogleTest and Qt Test alike.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>

namespace testsupport {

// While it lives, the process acts as nobody (effective user and group ids,
// no supplementary groups) when it runs as root; otherwise it is an ordinary
// user already and nothing changes.  Root is back when it goes.  Files the
// code under test must reach then need permission bits for others.
class AsOrdinaryUser
{
public:
    AsOrdinaryUser();
    ~AsOrdinaryUser();
    AsOrdinaryUser(const AsOrdinaryUser &) = delete;
    AsOrdinaryUser &operator=(const AsOrdinaryUser &) = delete;

    // Why permission bits do not bind this process now, or an empty string.
    const std::string &problem() const { return m_problem; }

private:
    std::string m_problem;
    bool m_switched = false;
    unsigned m_gid = 0;
    std::string m_groups; // the supplementary groups, as raw gid_t values
};

// Runs action, as an ordinary user (AsOrdinaryUser) when asOrdinaryUser is
// set.  Returns why that user could not be had, and action did not run; or
// an empty string.
std::string runAs(bool asOrdinaryUser, const std::function<void()> &action);

// A small tmpfs mounted on an existing folder, in a mount namespace that the
// calling thread enters on the first use (nothing outside sees it).  Needs
// root; without it problem() says so and nothing is mounted.
class SmallDisk
{
public:
    explicit SmallDisk(std::filesystem::path folder, std::size_t bytes = 64 * 1024);
    ~SmallDisk();
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    const std::string &problem() const { return m_problem; }

    // Writes a filler file until not one more byte fits, then gives back
    // the last `leave` bytes of it; true when the disk is that full then.
    bool fill(std::size_t leave = 0) const;

private:
    std::filesystem::path m_folder;
    std::string m_problem;
    bool m_mounted = false;
};

} // namespace testsupport
