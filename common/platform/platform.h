// The four platform chores shared by Quillpost and Crier.
//
// This header uses only the C++ standard library so that the Win32
// implementation builds with MinGW-w64 alone.  Text is UTF-16 on both sides;
// the windows convert their QStrings at this boundary.  No procedure here
// throws or shows anything: every failure becomes an ordinary result.
#pragma once

#include <string>

// Hands one message for one recipient to the messaging service (Windows:
// NetMessageBufferSend; POSIX: smbclient -M).  True only when the message was
// accepted.  sFromUser is accepted for symmetry with the callers; the service
// names the sending computer itself.
bool BroadcastMessage(const std::u16string &sToUser, const std::u16string &sFromUser,
                      const std::u16string &sMessage);

// The local computer's name, or an empty string.
std::u16string ComputerName();

// The folder path with the system's separator appended unless it already ends
// in one; an empty path gives the separator alone.
std::u16string AddSlash(std::u16string AddPath);

// True when sSource names an existing ordinary file: not a directory, not a
// hidden or system file.  '*' and '?' are wildcards in the last component.
bool FileExists(const std::u16string &sSource);
