// A small HTTP server on 127.0.0.1 (ephemeral port) that answers each path from a script and
// records every request it received, so tests can check both sides of an exchange. It can
// also serve HTTPS with a certificate the test made, keeping connections alive.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace httplib {
class Server;
}

struct ScriptedReply
{
    int nStatus = 200;
    // Written exactly as given, names in the case given.
    std::vector<std::pair<std::string, std::string>> headers;
    std::string strBody;
    // Wait this long before answering (ended early when the server stops).
    int nStallBeforeMs = 0;
    // Send the head and the body, then keep the connection open without sending the rest
    // of the announced length for this long.
    int nStallAfterBodyMs = 0;
};

struct ReceivedRequest
{
    std::string strMethod;
    std::string strTarget; // the request target exactly as it arrived
    std::string strPath;
    std::string strQuery; // raw text after "?"
    std::vector<std::pair<std::string, std::string>> headers;
    // Query parameters as the server decoded them.
    std::vector<std::pair<std::string, std::string>> params;
    int nRemotePort = 0; // the client's port: one connection, one port

    std::string Param(const std::string& strName) const;

    std::size_t HeaderCount(const std::string& strName) const;
    std::string Header(const std::string& strName) const;
};

// A reply made from the request (a reply per symbol, a count of what was asked).
using ScriptedHandler = std::function<ScriptedReply(const ReceivedRequest&)>;

// The certificate chain and key files of an HTTPS server (PEM).
struct ScriptedTls
{
    std::string strCertFile;
    std::string strKeyFile;
};

class CScriptedHttpServer
{
  public:
    CScriptedHttpServer();
    ~CScriptedHttpServer();

    CScriptedHttpServer(const CScriptedHttpServer&) = delete;
    CScriptedHttpServer& operator=(const CScriptedHttpServer&) = delete;

    // Lets a plain connection carry up to nRequests requests (1 by default: the server closes
    // each connection after its reply). Called before Start.
    void AllowKeepAlive(int nRequests);
    // Binds 127.0.0.1 on a free port and starts serving. Returns false if it cannot bind.
    bool Start();
    // The same over TLS; connections are kept alive (one second idle at most) so a client's
    // reuse of them shows in the requests' remote ports. False when the files do not load.
    bool StartTls(const ScriptedTls& tls);
    void Stop();

    int Port() const { return m_nPort; }
    // "127.0.0.1:port", the form the quote server settings take.
    std::string Address() const;
    // "http://127.0.0.1:port" or "https://127.0.0.1:port".
    std::string BaseUrl() const;

    // Replies for a path, used in order; the last one answers every later request.
    // Unscripted paths answer 404.
    void Script(const std::string& strPath, std::vector<ScriptedReply> replies);
    void Script(const std::string& strPath, const ScriptedReply& reply);
    void Script(const std::string& strPath, ScriptedHandler handler);

    std::vector<ReceivedRequest> Requests() const;
    // Forgets the requests, and the most that were answered at once.
    void ClearRequests();
    // The most requests that were being answered at one time.
    int MaxConcurrent() const;

  private:
    bool Serve();
    void Install();
    ScriptedReply NextReply(const ReceivedRequest& request);
    void WaitOrStop(int nMs);

    std::unique_ptr<httplib::Server> m_pServer;
    std::thread m_thread;
    int m_nPort = 0;
    mutable std::mutex m_mutex;
    std::condition_variable m_stopped;
    bool m_bStopping = false;
    std::map<std::string, std::vector<ScriptedReply>> m_script;
    std::map<std::string, std::size_t> m_used;
    std::map<std::string, ScriptedHandler> m_handlers;
    std::vector<ReceivedRequest> m_requests;
    bool m_bTls = false;
    std::size_t m_nKeepAliveRequests = 1;
    int m_nListenSocket = -1;
    int m_nActive = 0;
    int m_nMaxActive = 0;
};
