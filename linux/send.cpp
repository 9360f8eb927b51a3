#include "send.h"

#include "localecodec.h"

namespace kvoll {

smbclient::Outcome sendMessage(const QString &address, const QString &message)
{
    const auto localAddress = toLocale(address);
    const auto input = toLocale(message + u'\n');
    if (!localAddress || !input)
        throw CodesetConversionFailure();
    return smbclient::sendMessage(localAddress->toStdString(),
                                  std::string_view(input->constData(), input->size()))
            .outcome;
}

} // namespace kvoll
