#include "notify/SmtpConnection.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "notify/MailText.h"

namespace {

// The local host name goes into HELO; 79 characters and a terminator are room enough.
constexpr std::size_t kHostNameBuffer = 80;
// One receive takes at most this much; a reply longer than that arrives over several.
constexpr std::size_t kReceiveChunk = 1024;
// HELO needs a name; this one is used when the machine's own cannot be had.
constexpr const char* kFallbackHostName = "localhost";

struct ReplyRule
{
    int nExpected;
    const char* pszFailure;
};

ReplyRule RuleFor(CSmtpConnection::ReplyKind kind)
{
    switch (kind) {
    case CSmtpConnection::ReplyKind::kConnect:
        return {220, "SMTP server not available"};
    case CSmtpConnection::ReplyKind::kData:
        return {354, "SMTP server not ready for data"};
    case CSmtpConnection::ReplyKind::kQuit:
        return {221, "SMTP server didn't terminate session"};
    case CSmtpConnection::ReplyKind::kGeneric:
        break;
    }
    return {250, "SMTP server error"};
}

} // namespace

CSmtpConnection::CSmtpConnection(const std::string& sHost, unsigned nPort)
    : m_sLastError("OK"), m_bConnected(0), m_nPort(nPort), m_sXMailer("RD Mail"),
      m_sHost(sHost), m_szResponse{}, m_clock([] { return std::time(nullptr); })
{
}

CSmtpConnection::~CSmtpConnection()
{
    if (m_bConnected)
        Disconnect();
}

void CSmtpConnection::SetTimeouts(std::chrono::milliseconds connect,
                                  std::chrono::milliseconds reply)
{
    m_socket.SetTimeouts(connect, reply);
}

void CSmtpConnection::SendText(const std::string& text)
{
    // A failed send shows up as a failed or missing reply at the next GetResponse.
    if (!m_socket.Send(text.data(), text.size()))
        NoteSocketFailure();
}

void CSmtpConnection::NoteSocketFailure()
{
    if (m_socket.GetLastError() == ETIMEDOUT)
        m_bTimedOut = true;
}

void CSmtpConnection::CloseSocket()
{
    m_socket.Close();
    m_socket.ClearDeadline();
    m_replies.Reset();
}

bool CSmtpConnection::GetResponse(ReplyKind kind)
{
    std::memset(m_szResponse, 0, sizeof(m_szResponse));
    CSmtpReply reply;
    for (;;) {
        if (m_replies.TakeReply(reply))
            break;
        char chunk[kReceiveChunk];
        long received = m_socket.Receive(chunk, sizeof(chunk));
        if (received < 0) {
            NoteSocketFailure();
            m_sLastError = "Socket Error";
            return false;
        }
        if (received == 0) {
            // The server closed: what is left is the reply, or there is none at all.
            if (!m_replies.TakeRest(reply))
                reply = CSmtpReply{};
            break;
        }
        m_replies.Append(chunk, static_cast<std::size_t>(received));
    }
    std::size_t kept = std::min(reply.m_sFirstLine.size(), sizeof(m_szResponse) - 1);
    std::memcpy(m_szResponse, reply.m_sFirstLine.data(), kept);

    ReplyRule rule = RuleFor(kind);
    if (reply.m_nCode == rule.nExpected)
        return true;
    m_sLastError = std::to_string(reply.m_nCode) + ":" + rule.pszFailure;
    return false;
}

bool CSmtpConnection::Connect()
{
    if (m_bConnected)
        return true;
    m_replies.Reset();
    m_bTimedOut = false;
    if (!m_socket.Create()) {
        m_sLastError = "Unable to create the socket.";
        return false;
    }
    m_socket.SetDeadline(std::chrono::steady_clock::now() + m_conversationLimit);
    if (!m_socket.Connect(m_sHost, m_nPort)) {
        m_sLastError = "Unable to connect to server";
        CloseSocket();
        return false;
    }
    if (!GetResponse(ReplyKind::kConnect)) {
        m_sLastError = "Server didn't respond.";
        CloseSocket();
        return false;
    }

    char szHostName[kHostNameBuffer];
    const char* pszHostName =
        CSocket::GetLocalHostName(szHostName, sizeof(szHostName)) ? szHostName : kFallbackHostName;
    SendText("HELO " + MailCommandSafe(pszHostName) + "\r\n");
    if (!GetResponse(ReplyKind::kGeneric)) {
        CloseSocket();
        return false;
    }
    m_bConnected = 1;
    return true;
}

bool CSmtpConnection::Disconnect()
{
    if (!m_bConnected)
        return true;
    bool result = false;
    if (m_bTimedOut) {
        m_sLastError = "Socket Error";
    } else {
        SendText("QUIT\r\n");
        result = GetResponse(ReplyKind::kQuit);
    }
    CloseSocket();
    m_bConnected = 0;
    return result;
}

bool CSmtpConnection::PrepareHeader(CMailMessage& message)
{
    if (message.GetNumRecipients() == 0) {
        m_sLastError = "No Recipients";
        return false;
    }
    message.m_tDateTime = m_clock();
    message.m_sHeader = MailHeaderBlock(message, message.m_tDateTime, m_sXMailer);
    return true;
}

bool CSmtpConnection::PrepareMessage(CMailMessage& message)
{
    if (!PrepareHeader(message))
        return false;
    if (!MailEndsWithCrLf(message.m_sBody))
        message.m_sBody += "\r\n";
    return true;
}

std::string CSmtpConnection::StuffBody(const CMailMessage& message) const
{
    return MailStuffBody(message.m_sBody);
}

bool CSmtpConnection::Transmit(CMailMessage& message)
{
    if (!m_bConnected) {
        m_sLastError = "Must be connected";
        return false;
    }
    SendText("MAIL From: <" + MailCommandSafe(message.m_sFrom) + ">\r\n");
    if (!GetResponse(ReplyKind::kGeneric))
        return false;

    for (const CMailRecipient& recipient : message.m_aRecipients) {
        SendText("RCPT TO: <" + MailCommandSafe(recipient.m_sEmailAddress) + ">\r\n");
        // A refused recipient does not stop the others or the message.
        (void)GetResponse(ReplyKind::kGeneric);
    }

    SendText("DATA\r\n");
    if (!GetResponse(ReplyKind::kData))
        return false;

    // The stuffed body always ends with CR LF, so the end mark needs only ".".
    std::string stuffed = StuffBody(message);
    if (!MailEndsWithCrLf(stuffed))
        stuffed += "\r\n";
    SendText(message.m_sHeader + stuffed + ".\r\n");
    return GetResponse(ReplyKind::kGeneric);
}

bool CSmtpConnection::SendMail(CMailMessage& message)
{
    if (!m_bConnected) {
        m_sLastError = "Must be connected";
        return false;
    }
    if (!PrepareMessage(message))
        return false;
    return Transmit(message);
}
