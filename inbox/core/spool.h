// The spool that quillbox-deliver writes: read, never changed.  Every local
// user may read it; only the account that owns it (the guest account smbd
// runs the message command as) and root may write records into it, so a
// record owned by anyone else, or anything that is not a regular file, was
// planted and is never shown.
#pragma once

#include "record.h"

#include <QString>

#include <string>
#include <vector>

#include <sys/types.h>

namespace quillbox {

inline constexpr const char *spoolVariable = "QUILLBOX_SPOOL";

// The spool in use: QUILLBOX_SPOOL, or /var/spool/quillbox.
std::string spoolPath();

struct SpoolListing
{
    std::vector<std::string> names; // record names, sorted: oldest first
    int error = 0; // errno when the spool could not be listed
};

struct SpoolRecord
{
    std::string bytes; // the record as it lies in the spool
    record::Record record;
    QString problem; // why it is not shown; empty when it may be
};

class Spool
{
public:
    explicit Spool(std::string path);

    const std::string &path() const { return m_path; }
    SpoolListing list() const;
    // Opens the record without following a link, checks its kind, owner and
    // size, then reads and parses it.
    SpoolRecord read(const std::string &name) const;

private:
    std::string m_path;
};

// Why a file of this kind and owner is not a record of the spool whose
// owner is spoolOwner, or an empty string.  Root's records are accepted too.
QString refusal(mode_t mode, uid_t owner, uid_t spoolOwner);

// The user name of a user id, or the number.
QString userName(uid_t user);

} // namespace quillbox
