// The real platform with the program's folder moved, for the tests of the
// programs' windows.
#pragma once

#include "system.h"
#include "win32testing.h"

#include <filesystem>
#include <string>

namespace win32testing {

// The real platform, with the program's folder moved to the test's own.
class FolderSystem : public forms::System
{
public:
    std::u16string programFolder() override { return folder; }
    std::u16string folder;
};

inline std::u16string native(const std::filesystem::path &path)
{
    const std::wstring wide = path.wstring();
    return std::u16string(wide.begin(), wide.end());
}

} // namespace win32testing
