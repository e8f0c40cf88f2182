// CSmtpTranscript: what a mail transfer through libcurl said and heard, as libcurl's debug
// callback reports it line by line: the step of the dialogue it is at, the code of the
// last reply to it, and the first line of the server's reply to the message. A developer
// can have it copied to a trace; nothing sent while logging in is ever written there.
// Reply lines are untrusted (from the server): any length, any bytes.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>

class CSmtpTranscript
{
  public:
    enum class Step {
        kGreeting, // nothing sent yet: the reply is the server's greeting
        kEhlo,
        kStartTls,
        kAuth, // the AUTH command and every line of the exchange that follows it
        kMail,
        kRcpt,
        kData,
        kMessage, // the message has gone out; the reply says whether it was taken
        kOther,
    };

    // Reply lines longer than this are cut: a reply line is at most 512 bytes.
    static constexpr std::size_t kMaxKeptLine = 1023;

    // pTrace, when given, receives the transcript ("C: ", "S: " and "* " lines); not owned.
    explicit CSmtpTranscript(std::ostream* pTrace = nullptr) : m_pTrace(pTrace) {}

    // What libcurl sent as commands, received as replies, and its own notes; each may hold
    // several lines or part of one.
    void OnSent(std::string_view text);
    void OnReceived(std::string_view text);
    void OnNote(std::string_view text);

    // The last step before QUIT: QUIT and its reply are left out, so after a refusal this
    // is the step that was refused.
    Step LastStep() const { return m_step; }
    // The code of the last whole reply at that step; 0 when that step got none.
    int LastCode() const { return m_nLastCode; }
    bool SawGreeting() const { return m_bSawGreeting; }
    // The first line of the reply to the message (empty until one came).
    const std::string& MessageReply() const { return m_sMessageReply; }
    // The first line of the last reply of any step.
    const std::string& LastReply() const { return m_sLastReply; }
    // Recipients the server took and refused.
    int RecipientsTaken() const { return m_nRcptTaken; }
    int RecipientsRefused() const { return m_nRcptRefused; }

  private:
    void Command(std::string_view line);
    void Reply(std::string_view line);
    void Trace(const char* pszPrefix, std::string_view line);

    std::ostream* m_pTrace;
    std::string m_sSentPartial;
    std::string m_sReceivedPartial;
    Step m_step = Step::kGreeting;
    int m_nLastCode = 0;
    bool m_bSawGreeting = false;
    bool m_bReplyStarted = false; // inside a reply whose first line has been seen
    bool m_bInLogin = false;      // between AUTH and the reply that is not a 334
    bool m_bQuitting = false;     // QUIT has been sent
    std::string m_sLastReply;
    std::string m_sMessageReply;
    int m_nRcptTaken = 0;
    int m_nRcptRefused = 0;
};
