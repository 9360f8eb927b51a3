// The rules of SaveProfileAndText (platform.h), once for both platforms:
// what the new settings file and text file hold, composed in memory from the
// bytes that are there, and which of them must be written.  Each platform
// supplies its 8-bit encoding and its file access.  Standard C++ only.
#pragma once

#include "platform.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace savedfiles {

// The 8-bit form of a text; nullopt when the encoding cannot hold it.
using Encode = std::function<std::optional<std::string>(const std::u16string &)>;
using Decode = std::function<std::u16string(std::string_view)>;

// The settings file with every value stored in turn, each in the form that
// reads back whole (ini::readableForm); nullopt when one cannot be stored
// so (see SaveProfileAndText) or the file would be larger than largestFile.
std::optional<std::string> settingsFile(
    std::string_view before, const std::vector<ProfileValue> &values, const Encode &encode);

// The text file holding text, with each line break written as the first
// one of before (as text has them when there is no before or it has none).
// nullopt when the encoding cannot hold text or the file would be larger
// than largestFile.  save() keeps bytes that already hold the text.
std::optional<std::string> textFile(
    const std::string *before, const std::u16string &text, const Encode &encode);

// What is at a path before a save.
struct Current
{
    enum State { Missing, Present, Unusable } state = Missing;
    std::string bytes;
};

struct NewContent
{
    std::u16string path;
    std::string bytes;
};

// One platform's side of a save.
struct FileAccess
{
    Encode encode;
    Decode decode;
    // What is at the path: Unusable when it is no ordinary file, or cannot
    // be read, or is larger than largestFile.
    std::function<Current(const std::u16string &path)> read;
    // Puts every file in place, all or none.
    std::function<bool(const std::vector<NewContent> &)> replace;
};

// This platform's file access, defined beside its other calls.  The calls
// of platform.h that read and save files are defined once over it, in
// platform_common.cpp.
const FileAccess &platformFiles();

// SaveProfileAndText over a platform's file access; a file whose path is
// not given is left out.
bool save(const FileAccess &files, const std::optional<std::u16string> &profilePath,
    const std::vector<ProfileValue> &values, const std::optional<std::u16string> &textPath,
    const std::u16string &text);

} // namespace savedfiles
