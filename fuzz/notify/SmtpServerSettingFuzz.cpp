// The SMTP server setting as the portfolio file may hold it: any bytes. The reader either
// refuses with a reason or yields a port from 1 to 65535 and a host that the keyring's name
// of the server gives back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "notify/SmtpServerSetting.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    CSmtpServerAddress address;
    std::string reason;
    if (!ParseSmtpServer(text, address, reason)) {
        Check(!reason.empty());
        return 0;
    }
    Check(address.m_nPort >= 1 && address.m_nPort <= 65535);
    Check(address.m_sHost.size() <= text.size());
    if (!address.m_bPortNamed)
        Check(address.m_nPort == 25);
    // A plain host's name round-trips through the keyring's form of it.
    if (IsPlainHostName(address.m_sHost)) {
        CSmtpServerAddress again;
        Check(ParseSmtpServer(SmtpServerKey(address), again, reason));
        Check(again.m_sHost == address.m_sHost && again.m_nPort == address.m_nPort);
    }
    return 0;
}
