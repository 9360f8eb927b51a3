// kvoll's send: the message and one line feed go to smbclient, both texts in
// the locale's encoding.
#pragma once

#include "smbclient/smbclientrunner.h"

#include <QString>

#include <stdexcept>

namespace kvoll {

// Thrown when the address or the message holds a character that the locale's
// encoding cannot represent; nothing has been started then.
class CodesetConversionFailure : public std::runtime_error
{
public:
    CodesetConversionFailure() : std::runtime_error("Codeset conversion failure") { }
};

// Blocks until smbclient has ended.  Throws CodesetConversionFailure.
smbclient::Outcome sendMessage(const QString &address, const QString &message);

} // namespace kvoll
