// CSmtpConnection: the SMTP client that sends one CMailMessage over one TCP connection
// (HELO, MAIL, RCPT, DATA, QUIT). Failures are a false result plus a text for the user,
// GetLastErrorText; nothing is thrown or shown here. Every wait is bounded by the socket's
// time-outs, and one conversation (Connect to Disconnect) as a whole by its own limit.
#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

#include "notify/MailMessage.h"
#include "notify/SmtpReply.h"
#include "platform/net/Socket.h"

// The port the alert logic sends to.
constexpr unsigned kSmtpPort = 25;
// A server that keeps a conversation alive by trickling its replies is given up after this
// long, counted from Connect: an alert costs a minute at most, never an open-ended wait.
constexpr std::chrono::milliseconds kSmtpConversationLimit{60000};

class CSmtpConnection
{
  public:
    // The reply expected at each step of the dialogue.
    enum class ReplyKind { kGeneric, kConnect, kData, kQuit };

    CSmtpConnection(const std::string& sHost, unsigned nPort = kSmtpPort);
    CSmtpConnection(const CSmtpConnection&) = delete;
    CSmtpConnection& operator=(const CSmtpConnection&) = delete;
    // Says QUIT first when still connected.
    virtual ~CSmtpConnection();

    // Opens the connection, reads the greeting and says HELO. True at once when connected.
    bool Connect();
    // Builds the header (a new date each time) and sends the message. The message's body
    // gets a closing CR LF when it lacks one.
    bool SendMail(CMailMessage& message);
    // Says QUIT and closes; the connection counts as closed whatever the server answered.
    // After a time-out it closes at once, without QUIT, and fails with "Socket Error": a
    // server that stopped answering is not given another wait.
    bool Disconnect();

    std::string GetLastErrorText() const { return m_sLastError; }
    std::string GetHost() const { return m_sHost; }
    bool IsConnected() const { return m_bConnected != 0; }
    // Untrusted: the first line of the server's last reply, as it came (may be empty).
    std::string GetLastReply() const { return m_szResponse; }

    // Waits of the next Connect: the connect itself, and every send and reply after it.
    void SetTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds reply);
    // The limit of each later conversation as a whole (kSmtpConversationLimit unless set).
    void SetConversationLimit(std::chrono::milliseconds limit) { m_conversationLimit = limit; }
    // The clock that stamps the header; the system clock unless replaced (tests).
    void SetClock(std::function<std::time_t()> clock) { m_clock = std::move(clock); }

    // Builds the header and makes the body end with CR LF.
    virtual bool PrepareMessage(CMailMessage& message);

  protected:
    bool PrepareHeader(CMailMessage& message);
    std::string StuffBody(const CMailMessage& message) const;
    bool Transmit(CMailMessage& message);
    // Reads one whole reply and checks its code against the kind's. Untrusted: the reply
    // is from the server; anything but the expected code is a failure.
    bool GetResponse(ReplyKind kind);

    void SendText(const std::string& text);
    void CloseSocket();
    // Remembers a send or receive that ran out of time, so Disconnect does not wait again.
    void NoteSocketFailure();

    std::string m_sLastError;
    std::int32_t m_bConnected;
    std::uint32_t m_nPort;
    std::string m_sXMailer;
    std::string m_sHost;
    CSocket m_socket;
    // The first line of the last reply, zero-terminated (for a developer's eyes only).
    char m_szResponse[1024];

  private:
    CSmtpReplyReader m_replies;
    std::function<std::time_t()> m_clock;
    std::chrono::milliseconds m_conversationLimit = kSmtpConversationLimit;
    bool m_bTimedOut = false;
};
