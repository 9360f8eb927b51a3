// Reads a program's icons and version record back from its .exe file, as
// Explorer and the file's properties show them.
#pragma once

#include <windows.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace win32testing {

// A program beside the running test.
inline std::filesystem::path besideThisTest(const wchar_t *name)
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path() / name;
}

struct IconImage
{
    int width;
    int height;
    int bitsPerPixel;

    bool operator==(const IconImage &) const = default;
};

// The images of the icon group of that name; empty when there is none.
inline std::vector<IconImage> iconGroup(const std::filesystem::path &program, const wchar_t *name)
{
#pragma pack(push, 2)
    struct Entry
    {
        BYTE width, height, colours, reserved;
        WORD planes, bitCount;
        DWORD bytes;
        WORD id;
    };
    struct Directory
    {
        WORD reserved, type, count;
        Entry entries[1];
    };
#pragma pack(pop)
    std::vector<IconImage> images;
    const HMODULE module = ::LoadLibraryExW(
        program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module)
        return images;
    if (const HRSRC found = ::FindResourceW(module, name, RT_GROUP_ICON)) {
        const auto *group
            = static_cast<const Directory *>(::LockResource(::LoadResource(module, found)));
        for (WORD i = 0; group && i < group->count; ++i) {
            const Entry &entry = group->entries[i];
            // 0 stands for 256.
            images.push_back({entry.width ? entry.width : 256, entry.height ? entry.height : 256,
                entry.bitCount            ? entry.bitCount
                    : entry.colours == 16 ? 4
                    : entry.colours == 2  ? 1
                                          : 0});
        }
    }
    ::FreeLibrary(module);
    return images;
}

// The name of the program's first icon group, the one Explorer shows, in
// upper case; "#N" for a number.
inline std::wstring firstIconGroup(const std::filesystem::path &program)
{
    std::wstring first;
    const HMODULE module = ::LoadLibraryExW(
        program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module)
        return first;
    ::EnumResourceNamesW(
        module, RT_GROUP_ICON,
        [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) -> BOOL {
            auto &text = *reinterpret_cast<std::wstring *>(found);
            text = IS_INTRESOURCE(name) ? L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(name))
                                        : std::wstring(name);
            return FALSE;
        },
        reinterpret_cast<LONG_PTR>(&first));
    ::FreeLibrary(module);
    return first;
}

// The bytes of a resource of the program; empty when there is none.
inline std::string resourceBytes(const std::filesystem::path &program, int type, int id)
{
    std::string bytes;
    const HMODULE module = ::LoadLibraryExW(
        program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module)
        return bytes;
    if (const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(type))) {
        const auto *data = static_cast<const char *>(::LockResource(::LoadResource(module, found)));
        if (data)
            bytes.assign(data, ::SizeofResource(module, found));
    }
    ::FreeLibrary(module);
    return bytes;
}

// The language of the version record's strings and its values by name.
struct VersionRecord
{
    std::wstring block; // such as 040904B0
    std::map<std::wstring, std::wstring> strings;
};

inline VersionRecord versionRecord(const std::filesystem::path &program)
{
    VersionRecord record;
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(program.c_str(), &ignored);
    if (!size)
        return record;
    std::vector<BYTE> data(size);
    if (!::GetFileVersionInfoW(program.c_str(), 0, size, data.data()))
        return record;
    struct Translation
    {
        WORD language, codePage;
    } *translation = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
            reinterpret_cast<void **>(&translation), &length)
        || length < sizeof *translation)
        return record;
    wchar_t block[16];
    swprintf(block, 16, L"%04X%04X", translation->language, translation->codePage);
    record.block = block;
    for (const wchar_t *name : {L"Comments", L"FileDescription", L"FileVersion", L"InternalName",
             L"OriginalFilename", L"ProductName", L"ProductVersion"}) {
        wchar_t *value = nullptr;
        const std::wstring query = L"\\StringFileInfo\\" + record.block + L"\\" + name;
        if (::VerQueryValueW(data.data(), query.c_str(), reinterpret_cast<void **>(&value), &length)
            && value)
            record.strings[name] = value;
    }
    return record;
}

} // namespace win32testing
