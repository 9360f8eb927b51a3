#include "send.h"

namespace kvoll {

namespace {

std::u16string_view view(const QString &text)
{
    return {
        reinterpret_cast<const char16_t *>(text.utf16()), static_cast<std::size_t>(text.size())};
}

} // namespace

smbclient::Outcome sendMessage(const QString &address, const QString &message)
{
    return smbclient::sendMessage(view(address), view(message + u'\n')).outcome;
}

} // namespace kvoll
