// CScriptedSmtpServer: an SMTP server on 127.0.0.1 (ephemeral port) for tests. It answers
// each step of the dialogue with a scripted reply, can stall or hang up at any step, and
// records every byte it receives. It runs on its own thread until Stop or destruction.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// What the server does at one step.
struct CScriptedReply
{
    enum class Action {
        kSend,    // write the pieces, each as its own segment
        kStall,   // say nothing more, keep the connection open (until the client leaves)
        kClose,   // hang up at once
        kTrickle, // write the pieces one byte at a time, m_gap apart
    };
    Action m_action = Action::kSend;
    std::vector<std::string> m_pieces;
    std::chrono::milliseconds m_gap{0};

    static CScriptedReply Text(std::string text) { return {Action::kSend, {std::move(text)}}; }
    static CScriptedReply Pieces(std::vector<std::string> pieces)
    {
        return {Action::kSend, std::move(pieces)};
    }
    static CScriptedReply Stall() { return {Action::kStall, {}}; }
    static CScriptedReply Close() { return {Action::kClose, {}}; }
    static CScriptedReply Trickle(std::string text, std::chrono::milliseconds gap)
    {
        return {Action::kTrickle, {std::move(text)}, gap};
    }
};

// The replies of one connection, step by step. RCPT commands beyond the list get kRcptOk.
struct CSmtpScript
{
    static constexpr const char* kRcptOk = "250 2.1.5 Ok\r\n";

    CScriptedReply m_greeting = CScriptedReply::Text("220 test.invalid ESMTP ready\r\n");
    CScriptedReply m_helo = CScriptedReply::Text("250 test.invalid\r\n");
    CScriptedReply m_mail = CScriptedReply::Text("250 2.1.0 Ok\r\n");
    std::vector<CScriptedReply> m_rcpt;
    CScriptedReply m_data = CScriptedReply::Text("354 End data with <CR><LF>.<CR><LF>\r\n");
    CScriptedReply m_endOfData = CScriptedReply::Text("250 2.0.0 Ok: queued\r\n");
    CScriptedReply m_quit = CScriptedReply::Text("221 2.0.0 Bye\r\n");
    // Any other command.
    CScriptedReply m_unknown = CScriptedReply::Text("500 5.5.2 Error: command not recognized\r\n");
};

class CScriptedSmtpServer
{
  public:
    explicit CScriptedSmtpServer(CSmtpScript script = {});
    CScriptedSmtpServer(const CScriptedSmtpServer&) = delete;
    CScriptedSmtpServer& operator=(const CScriptedSmtpServer&) = delete;
    ~CScriptedSmtpServer();

    // Listens on 127.0.0.1 with an ephemeral port and starts serving. False when it cannot.
    bool Start();
    // Ends every connection and the thread; safe to call twice.
    void Stop();
    unsigned Port() const { return m_nPort; }

    // Every byte received so far, over all connections in order.
    std::string Received() const;
    // The data of every message received whole, as it came (still dot-stuffed, without the
    // closing "." line).
    std::vector<std::string> Messages() const;
    // Connections accepted and connections finished so far.
    int Connections() const;
    // Waits (bounded) until this many connections have finished.
    bool WaitForFinished(int nCount, std::chrono::milliseconds timeout) const;

  private:
    void Run();
    void Serve(int fd);
    // False when the connection is to end.
    bool Answer(int fd, const CScriptedReply& reply);
    // Reads what is there into the buffer and the record; false when the client left or
    // Stop was called. Waits at most until the stop signal.
    bool ReadMore(int fd, std::string& buffer);
    void WaitWhileOpen(int fd);
    // Writes text a byte at a time; false when the client left or Stop was called.
    bool Trickle(int fd, const std::string& text, std::chrono::milliseconds gap);

    CSmtpScript m_script;
    int m_nListenFd = -1;
    int m_nStopPipe[2] = {-1, -1};
    unsigned m_nPort = 0;
    std::thread m_thread;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::string m_strReceived;
    std::vector<std::string> m_messages;
    int m_nAccepted = 0;
    int m_nFinished = 0;
};

// A loopback port on which nothing listens, for the mail classes that take an unsigned port
// (tf::test::FreeLoopbackPort; 0 when none could be had).
unsigned UnusedLoopbackPort();
