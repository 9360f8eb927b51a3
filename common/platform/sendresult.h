// What became of one message handed to the messaging service, with the
// service's own words about it.  Plain C++, for both platforms.
#pragma once

#include <string>

enum class SendOutcome {
    Delivered, // the service accepted the message
    Failed, // the service or the receiver did not, or the send was stopped
    CouldNotStart, // the service cannot be reached from here at all
    TooLong, // longer than the protocol carries; nothing was sent
    Unrepresentable, // a character the message cannot carry; nothing was sent
};

struct SendResult
{
    SendOutcome outcome = SendOutcome::Failed;
    // Why, as the service told it: smbclient's standard error, the status
    // the Messenger service answered.  Not shown to the user.
    std::string diagnostics;
};
