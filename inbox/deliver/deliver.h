// quillbox-deliver FILE SENDER DESTINATION: the command smbd's message
// command runs for each message, as its guest account, while the sender
// waits.  It moves the text of FILE into the spool as one record (written
// under a hidden name, synced, renamed into place), then removes FILE.
// Standard C++ and POSIX only, so that it starts in a moment.
#pragma once

#include <cstdint>
#include <string>

namespace deliver {

inline constexpr const char *defaultSpool = "/var/spool/quillbox";
// Records older than this are removed by the deliveries after them.
inline constexpr std::int64_t keepSeconds = std::int64_t(30) * 24 * 60 * 60;
// The spool is swept at most this often; the time of the last sweep is the
// modification time of this file in it.
inline constexpr std::int64_t sweepInterval = std::int64_t(24) * 60 * 60;
inline constexpr const char *sweepStamp = ".last-sweep";

struct Moment
{
    std::int64_t seconds = 0; // since the epoch
    long nanoseconds = 0;
};

struct Result
{
    int status = 0; // the exit status
    std::string note; // one line for the standard error, or empty
};

// The whole command.  args are the arguments after the program name;
// spoolVariable is the value of QUILLBOX_SPOOL (null when unset); now and
// pid name the record.  Whenever the record could not be stored, FILE is
// left where it is and the status is not 0.
Result run(int argc, const char *const *args, const char *spoolVariable, Moment now, long pid);

// Removes the records of the spool that are older than keepSeconds, and
// the hidden files of deliveries that were killed half-way, when the last
// sweep is sweepInterval ago (or always, when forced).  Returns how many
// files it removed.
int sweep(int spoolFolder, Moment now, bool force = false);

} // namespace deliver
