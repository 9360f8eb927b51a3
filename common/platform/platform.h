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
#pragma once

#include "sendresult.h"

#include <optional>
#include <stop_token>
#include <string>

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

// ---- Settings files (INI) ------------------------------------------------------
// Section and key names match ignoring case and surrounding blanks; the first
// section and the first key of a name count; a value loses its outer blanks
// and one pair of enclosing quotes ("..." or '...') on reading.  Windows
// takes 8-bit paths here: a path that the ANSI code page cannot hold reads
// as missing and cannot be written.  On POSIX every write replaces the file
// and flushes it to disk (a few milliseconds each).

// One value of a settings file, whole (no length cut); defaultValue, as given,
// when the file, the section or the key is missing.
std::u16string ReadProfileValue(const std::u16string &section, const std::u16string &key,
    const std::u16string &defaultValue, const std::u16string &path);

// Stores one value: replaces the value of the key, or adds the key (and its
// section) when missing; creates the file when missing.  On POSIX every other
// byte of the file stays as it was and the file is replaced atomically.
// False when the value could not be stored: the folder is missing or not
// writable, the file is read-only or cannot be read, the path is a folder;
// or one line of the file cannot hold it: a name is empty (less its blanks),
// a name or the value holds a line break or NUL, the key holds '=' or starts
// with ';' or '['.  The file that was there then stays intact.
bool WriteProfileValue(const std::u16string &section, const std::u16string &key,
    const std::u16string &value, const std::u16string &path);

// ---- Text files -----------------------------------------------------------------

// The whole content of a text file; nullopt when it cannot be read.
std::optional<std::u16string> ReadTextFile(const std::u16string &path);

// Replaces the content of a text file, creating it when missing: a temporary
// file beside it is written and moved over it.  False on failure (missing or
// unwritable folder, read-only file, a folder at the path); the previous file
// then stays intact.
bool WriteTextFile(const std::u16string &path, const std::u16string &text);

// ---- Folders ----------------------------------------------------------------------

// The folder where the program keeps its files, without a trailing separator:
// on Windows the folder of the running .exe; on POSIX the user's settings
// folder for the application name (~/.config/NAME), because a program
// installed under /usr cannot write its own folder.  Not created here.
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
