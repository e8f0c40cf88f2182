#include "notify/MailMessage.h"

bool CMailMessage::AddRecipient(const std::string& sAddress, const std::string& sFriendlyName)
{
    m_aRecipients.push_back({sAddress, sFriendlyName});
    return true;
}

bool CMailMessage::AddMultipleRecipients(const std::string& sRecipients)
{
    std::size_t start = 0;
    for (;;) {
        std::size_t end = sRecipients.find(';', start);
        std::string piece =
            sRecipients.substr(start, end == std::string::npos ? std::string::npos : end - start);

        std::size_t open = piece.find('<');
        if (open == std::string::npos) {
            AddRecipient(piece);
        } else {
            std::size_t close = piece.find('>');
            if (close == std::string::npos || close < open)
                return false;
            AddRecipient(piece.substr(open + 1, close - open - 1), piece.substr(0, open));
        }

        if (end == std::string::npos)
            return true;
        start = end + 1;
    }
}

bool CMailMessage::GetRecipient(int nIndex, std::string& sAddress, std::string& sFriendlyName) const
{
    if (nIndex < 0 || static_cast<std::size_t>(nIndex) >= m_aRecipients.size())
        return false;
    sAddress = m_aRecipients[static_cast<std::size_t>(nIndex)].m_sEmailAddress;
    sFriendlyName = m_aRecipients[static_cast<std::size_t>(nIndex)].m_sFriendlyName;
    return true;
}
