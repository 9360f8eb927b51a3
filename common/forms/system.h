// The platform chores a form asks for, as an object: the programs pass the
// real platform layer, tests a stand-in that sends nothing and starts
// nothing.  Text files and settings files go to the real file system in
// both, tests using folders of their own.
#pragma once

#include "platform.h"

#include <optional>
#include <string>
#include <vector>

namespace forms {

class System
{
public:
    virtual ~System() = default;

    virtual bool broadcastMessage(const std::u16string &toUser, const std::u16string &fromUser,
        const std::u16string &message);
    virtual std::u16string computerName();
    virtual std::u16string addSlash(const std::u16string &path);
    virtual bool fileExists(const std::u16string &path);
    // The folder the program keeps its files in, without separator at the end.
    virtual std::u16string programFolder();
    virtual bool ensureFolder(const std::u16string &path);
    virtual std::u16string readProfileString(const std::u16string &section,
        const std::u16string &key, const std::u16string &defaultValue, const std::u16string &path);
    virtual std::optional<std::u16string> readTextFile(const std::u16string &path);
    // Stores the values into the settings file and the text into the text
    // file, both or neither (SaveProfileAndText).
    virtual bool saveProfileAndText(const std::u16string &profilePath,
        const std::vector<ProfileValue> &values, const std::u16string &textPath,
        const std::u16string &text);
    virtual bool startProgram(const std::u16string &commandLine);
};

} // namespace forms
