// CMailMessage: one e-mail to send: sender, recipients, subject and body, and the header
// block that CSmtpConnection builds from them. The caller owns it and fills the texts.
#pragma once

#include <ctime>
#include <string>
#include <vector>

// One recipient: the address, and the name shown before it in the To header (may be empty).
struct CMailRecipient
{
    std::string m_sEmailAddress;
    std::string m_sFriendlyName;
};

class CMailMessage
{
  public:
    virtual ~CMailMessage() = default;

    // Appends one recipient; always succeeds.
    bool AddRecipient(const std::string& sAddress, const std::string& sFriendlyName = {});

    // Adds the recipients of a list separated by ";". Each piece is a bare address, or a
    // name followed by an address in angle brackets; nothing is trimmed. False at the first
    // piece with a "<" but no ">" after it; the pieces before it stay added.
    bool AddMultipleRecipients(const std::string& sRecipients);

    // False (outputs untouched) when nIndex is not a valid position.
    bool GetRecipient(int nIndex, std::string& sAddress, std::string& sFriendlyName) const;
    int GetNumRecipients() const { return static_cast<int>(m_aRecipients.size()); }

    std::string m_sFrom;
    std::string m_sSubject;
    // The whole header block with its closing empty line; built by the connection.
    std::string m_sHeader;
    // When the header was built.
    std::time_t m_tDateTime = 0;
    // Lines separated by CR LF.
    std::string m_sBody;
    std::vector<CMailRecipient> m_aRecipients;
};
