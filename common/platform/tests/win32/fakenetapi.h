// The test side of the stand-in netapi32.dll (fake_netapi32.c): tells it how
// to answer and reads back what it was handed.
#pragma once

#include "tempfolder.h"

#include <string>
#include <vector>

namespace probe {

// One NetMessageBufferSend call; byte strings are in hex, as logged.
struct NetapiCall
{
    bool serverNull = false;
    std::string recipient; // UTF-16LE up to the terminator
    bool senderNull = false;
    unsigned long length = 0;
    std::string buffer; // the bytes the length covers
    std::string text; // the buffer's units before its terminator
    bool terminated = false;
};

class FakeNetapi
{
public:
    // Throws when the netapi32.dll that would be loaded is not the stand-in.
    FakeNetapi();
    ~FakeNetapi();
    FakeNetapi(const FakeNetapi &) = delete;
    FakeNetapi &operator=(const FakeNetapi &) = delete;

    void answer(unsigned long status);
    // That one recipient is refused (NERR_NameNotFound), the others answered
    // as before.
    void refuse(const std::u16string &recipient);
    // Each call takes this long, as a service waiting for its receiver.
    void delay(unsigned long milliseconds);
    std::vector<NetapiCall> calls() const;

private:
    TempFolder m_folder;
};

std::u16string fromUtf16Hex(const std::string &hex);

} // namespace probe
