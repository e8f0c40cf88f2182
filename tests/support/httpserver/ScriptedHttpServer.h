// A small HTTP server on 127.0.0.1 (ephemeral port) that answers each path from a script and
// records every request it received, so tests can check both sides of an exchange.
#pragma once

#include <condition_variable>
#include <cstddef>
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
    int nRemotePort = 0; // the client's port: one per connection

    std::size_t HeaderCount(const std::string& strName) const;
    std::string Header(const std::string& strName) const;
};

class CScriptedHttpServer
{
  public:
    CScriptedHttpServer();
    ~CScriptedHttpServer();

    CScriptedHttpServer(const CScriptedHttpServer&) = delete;
    CScriptedHttpServer& operator=(const CScriptedHttpServer&) = delete;

    // Lets a connection carry up to nRequests requests (1 by default: the server closes each
    // connection after its reply). Called before Start.
    void AllowKeepAlive(int nRequests);
    // Binds 127.0.0.1 on a free port and starts serving. Returns false if it cannot bind.
    bool Start();
    void Stop();

    int Port() const { return m_nPort; }
    // "127.0.0.1:port", the form the quote server settings take.
    std::string Address() const;

    // Replies for a path, used in order; the last one answers every later request. A path
    // with a query ("/d/quotes.csv?s=IBM&f=...") answers only the request for that target,
    // before the replies for its path alone. Unscripted paths answer 404.
    void Script(const std::string& strPath, std::vector<ScriptedReply> replies);
    void Script(const std::string& strPath, const ScriptedReply& reply);

    std::vector<ReceivedRequest> Requests() const;
    void ClearRequests();
    // The most requests that were being answered at the same moment.
    int MaxConcurrentRequests() const;

  private:
    ScriptedReply NextReply(const std::string& strTarget, const std::string& strPath);
    void WaitOrStop(int nMs);

    std::unique_ptr<httplib::Server> m_pServer;
    std::thread m_thread;
    int m_nPort = 0;
    int m_nListenSocket = -1;
    mutable std::mutex m_mutex;
    std::condition_variable m_stopped;
    bool m_bStopping = false;
    std::map<std::string, std::vector<ScriptedReply>> m_script;
    std::map<std::string, std::size_t> m_used;
    std::vector<ReceivedRequest> m_requests;
    int m_nConcurrent = 0;
    int m_nMaxConcurrent = 0;
};
