// The platform chores shared by Quillpost and Crier: the messaging service,
// the computer name, paths, the settings and text files, program start.
//
// This header uses only the C++ standard library so that the Win32
// implementation builds with MinGW-w64 alone.  Text is UTF-16 on both sides,
// as the forms hold it.  No procedure here throws or shows anything: every
// failure becomes an ordinary result (only StartProgram also logs why a
// program did not start).
//
// Files of text are 8-bit: in the ANSI code page on Windows, UTF-8 on POSIX.
// On Windows a text that the ANSI code page cannot hold is not written at
// all (the write answers false) rather than stored with '?' in its place.
// On POSIX a byte that is no UTF-8 is read as U+DC80 + (byte - 0x80) and
// written back as that byte (utf8text.h), so that it survives a save.
#pragma once

#include "sendresult.h"

#include <cstddef>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

// Hands one message for one recipient to the messaging service (Windows:
// NetMessageBufferSend; POSIX: smbclient -M) and waits for its answer.  Safe
// to call from several threads at once.  A stop requested through stop ends
// a send under way where it can (POSIX: its smbclient is killed) and keeps a
// send from starting; the send then fails.  No sender goes with the message:
// the service names the sending computer itself.
SendResult SendMessageTo(
    const std::u16string &toUser, const std::u16string &message, std::stop_token stop);

// TooLong or Unrepresentable when no recipient at all could be sent this
// message (POSIX: the receivers' code page and the protocol's length; the
// Messenger service takes any text); nothing when it can go out.
std::optional<SendOutcome> CheckMessage(const std::u16string &message);

// SendMessageTo, as a yes or no: true only when the message was accepted.
// sFromUser does not reach the service.
bool BroadcastMessage(
    const std::u16string &sToUser, const std::u16string &sFromUser, const std::u16string &sMessage);

// The local computer's name, or an empty string.
std::u16string ComputerName();

// The folder path with the system's separator appended unless it already ends
// in one; an empty path gives the separator alone.
std::u16string AddSlash(std::u16string AddPath);

// True when sSource names an existing ordinary file: not a directory, not a
// hidden or system file.  '*' and '?' are wildcards in the last component.
bool FileExists(const std::u16string &sSource);

// The largest file read or written here: 64 MiB.  The programs' own files
// are a few kilobytes (a book of 100 short names, a message the service
// carries, a program path), so this leaves room for anything written by
// hand, while a link to a device or a runaway file cannot take more than
// about 200 MB of memory (the bytes and their UTF-16 text) before it is
// refused.  The same on both platforms, so that a file one of them writes
// the other reads.
inline constexpr std::size_t largestFile = std::size_t(64) * 1024 * 1024;

// ---- Settings files (INI) ------------------------------------------------------
// The project's own INI rules (ini.h) on both platforms, over the whole file:
// section and key names match ignoring case and surrounding blanks; the first
// section and the first key of a name count; a value loses its outer blanks
// and one pair of enclosing quotes ("..." or '...') on reading.  A file that
// is no ordinary file or is larger than largestFile reads as missing.

// One value of a settings file, whole (no length cut); defaultValue, as given,
// when the file, the section or the key is missing.
std::u16string ReadProfileValue(const std::u16string &section, const std::u16string &key,
    const std::u16string &defaultValue, const std::u16string &path);

// One value for a settings file.
struct ProfileValue
{
    std::u16string section;
    std::u16string key;
    std::u16string value;
};

// Saves a settings file and a text file together, all or nothing.
//
// The settings file gets every value in turn, as if each were written alone:
// the value of the key is replaced, or the key (and its section) is added;
// every other byte of the file stays as it was.  A value that reading would
// strip of outer blanks or enclosing quotes is written in one more pair of
// double quotes, so that every value reads back whole.  The text file gets
// text, its line breaks (CR LF, LF or CR, as the text box gives them) written
// the way the file writes its first one; a file that already holds text
// (line breaks of any kind counting alike) keeps its bytes.
//
// Both new files are written beside their targets first and then moved over
// them; a file that would not change is not written.  True when both files
// hold what was asked.  False, with both files byte for byte as they were,
// when anything stands in the way: the folder is missing or not writable; a
// file is a folder, or no ordinary file, or cannot be read, or would be
// larger than largestFile; a file that must change is read-only (even for
// root: Windows keeps its read-only files); the disk is full; a name or a
// value cannot be stored (the 8-bit encoding cannot hold it, it holds a line
// break or NUL, a name is empty less its blanks, the key holds '=' or begins
// with ';' or '[').
bool SaveProfileAndText(const std::u16string &profilePath, const std::vector<ProfileValue> &values,
    const std::u16string &textPath, const std::u16string &text);

// SaveProfileAndText for one value and no text file.
bool WriteProfileValue(const std::u16string &section, const std::u16string &key,
    const std::u16string &value, const std::u16string &path);

// ---- Text files -----------------------------------------------------------------

// The whole content of a text file; nullopt when it cannot be read, or is no
// ordinary file, or is larger than largestFile.
std::optional<std::u16string> ReadTextFile(const std::u16string &path);

// Whether two texts are the same but for the kind of their line breaks: CR
// LF, a lone CR and a lone LF each count as one break.
bool SameText(std::u16string_view a, std::u16string_view b);

// SaveProfileAndText for a text file alone.
bool WriteTextFile(const std::u16string &path, const std::u16string &text);

// ---- Folders ----------------------------------------------------------------------

// The folder where the program keeps its files, without a trailing separator:
// on Windows the folder of the running .exe; on POSIX the user's settings
// folder named after the running program file ($XDG_CONFIG_HOME/NAME, or
// ~/.config/NAME), because a program installed under /usr cannot write its
// own folder.  Not created here.
std::u16string ProgramFolder();

// Creates the folder and its missing parents; true when it exists afterwards.
bool EnsureFolder(const std::u16string &path);

// ---- Programs ---------------------------------------------------------------------

// Starts a command line without waiting for it, with a normal window that
// gets the focus.  Windows: the command line goes to CreateProcess unchanged.
// POSIX: it is split into words with the shell's quoting ('...', "...",
// backslashes) and no expansion, and the first word is started without a
// shell, in a session of its own, with stdin from /dev/null.  False when
// nothing started: a line of blanks (quietly), or a line whose program is
// missing or no program, or (POSIX) whose quotes do not close; that is said,
// with the reason, on stderr and in the system log (POSIX: syslog; Windows:
// the Application event log).
bool StartProgram(const std::u16string &commandLine);
