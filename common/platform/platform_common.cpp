// The calls of platform.h that are the same on every platform, over its
// SendMessageTo and its file access (savedfiles::platformFiles).
#include "platform.h"
#include "savedfiles.h"

#include "ini/ini.h"

bool BroadcastMessage(const std::u16string &sToUser, const std::u16string & /*sFromUser*/,
    const std::u16string &sMessage)
{
    return SendMessageTo(sToUser, sMessage, {}).outcome == SendOutcome::Delivered;
}

std::u16string ReadProfileValue(const std::u16string &section, const std::u16string &key,
    const std::u16string &defaultValue, const std::u16string &path)
{
    const savedfiles::FileAccess &files = savedfiles::platformFiles();
    const auto name = files.encode(section);
    const auto entry = files.encode(key);
    const savedfiles::Current file = files.read(path);
    if (!name || !entry || file.state != savedfiles::Current::Present)
        return defaultValue;
    const auto value = ini::read(file.bytes, *name, *entry);
    return value ? files.decode(*value) : defaultValue;
}

std::optional<std::u16string> ReadTextFile(const std::u16string &path)
{
    const savedfiles::FileAccess &files = savedfiles::platformFiles();
    const savedfiles::Current file = files.read(path);
    if (file.state != savedfiles::Current::Present)
        return std::nullopt;
    return files.decode(file.bytes);
}

bool SaveProfileAndText(const std::u16string &profilePath, const std::vector<ProfileValue> &values,
    const std::u16string &textPath, const std::u16string &text)
{
    return savedfiles::save(savedfiles::platformFiles(), profilePath, values, textPath, text);
}

bool WriteProfileValue(const std::u16string &section, const std::u16string &key,
    const std::u16string &value, const std::u16string &path)
{
    return savedfiles::save(
        savedfiles::platformFiles(), path, {{section, key, value}}, std::nullopt, {});
}

bool WriteTextFile(const std::u16string &path, const std::u16string &text)
{
    return savedfiles::save(savedfiles::platformFiles(), std::nullopt, {}, path, text);
}
