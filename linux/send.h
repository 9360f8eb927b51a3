// kvoll's send: the message and one line feed go to smbclient, both texts in
// the wire character set (smbclient's dos charset, see smbclient/wirecharset.h).
#pragma once

#include "smbclient/smbclientrunner.h"

#include <QString>

namespace kvoll {

// Blocks until smbclient has ended.  Unrepresentable when the address or the
// message holds a character that the wire set cannot hold, or U+0000; nothing
// has been started then.
smbclient::Outcome sendMessage(const QString &address, const QString &message);

} // namespace kvoll
