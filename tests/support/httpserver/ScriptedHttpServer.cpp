#include "tests/support/httpserver/ScriptedHttpServer.h"

#include <algorithm>
#include <chrono>
#include <httplib.h>
#include <strings.h>
#include <sys/socket.h>

namespace {

// A test never needs a server to wait longer than this for a slow client.
constexpr int kServerIoTimeoutSec = 5;
// Start waits at most this many milliseconds for the serving thread.
constexpr int kStartWaitSteps = 5000;
// An idle kept-alive connection holds one of the server's threads; Stop waits for it.
constexpr int kKeepAliveIdleSec = 1;
constexpr std::size_t kKeepAliveRequests = 100;
// Threads answering at once: more than any client limit a test checks, so that the server
// never hides a client that asks too much at once.
constexpr std::size_t kServerThreads = 32;

} // namespace

std::size_t ReceivedRequest::HeaderCount(const std::string& strName) const
{
    std::size_t n = 0;
    for (const auto& header : headers) {
        if (strcasecmp(header.first.c_str(), strName.c_str()) == 0) {
            ++n;
        }
    }
    return n;
}

std::string ReceivedRequest::Param(const std::string& strName) const
{
    for (const auto& param : params) {
        if (param.first == strName) {
            return param.second;
        }
    }
    return {};
}

std::string ReceivedRequest::Header(const std::string& strName) const
{
    for (const auto& header : headers) {
        if (strcasecmp(header.first.c_str(), strName.c_str()) == 0) {
            return header.second;
        }
    }
    return {};
}

CScriptedHttpServer::CScriptedHttpServer() : m_pServer(std::make_unique<httplib::Server>())
{
    Install();
}

void CScriptedHttpServer::Install()
{
    m_pServer->set_read_timeout(kServerIoTimeoutSec, 0);
    m_pServer->set_write_timeout(kServerIoTimeoutSec, 0);
    // Head and body leave in separate writes; without this a kept-alive connection waits out
    // the client's delayed acknowledgement between them.
    m_pServer->set_tcp_nodelay(true);
    m_pServer->set_keep_alive_timeout(kKeepAliveIdleSec);
    m_pServer->set_keep_alive_max_count(m_bTls ? kKeepAliveRequests : m_nKeepAliveRequests);
    m_pServer->new_task_queue = [] { return new httplib::ThreadPool(kServerThreads); };
    // The listening socket is kept to widen its queue once it listens (see Serve).
    m_pServer->set_socket_options([this](int nSocket) {
        httplib::default_socket_options(nSocket);
        m_nListenSocket = nSocket;
    });
    m_pServer->Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
        ReceivedRequest received;
        received.strMethod = req.method;
        received.strTarget = req.target;
        received.strPath = req.path;
        const std::size_t nQuery = req.target.find('?');
        if (nQuery != std::string::npos) {
            received.strQuery = req.target.substr(nQuery + 1);
        }
        for (const auto& header : req.headers) {
            // httplib adds these itself; they did not come from the client.
            if (header.first == "REMOTE_ADDR" || header.first == "REMOTE_PORT" ||
                header.first == "LOCAL_ADDR" || header.first == "LOCAL_PORT") {
                continue;
            }
            received.headers.emplace_back(header.first, header.second);
        }
        for (const auto& param : req.params) {
            received.params.emplace_back(param.first, param.second);
        }
        received.nRemotePort = req.remote_port;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_requests.push_back(received);
            m_nMaxActive = std::max(m_nMaxActive, ++m_nActive);
        }
        struct SActive
        {
            CScriptedHttpServer* pServer;
            ~SActive()
            {
                std::lock_guard<std::mutex> lock(pServer->m_mutex);
                --pServer->m_nActive;
            }
        } active{this};

        const ScriptedReply reply = NextReply(received);
        if (reply.nStallBeforeMs > 0) {
            WaitOrStop(reply.nStallBeforeMs);
        }
        res.status = reply.nStatus;
        for (const auto& header : reply.headers) {
            res.set_header(header.first, header.second);
        }
        if (reply.nStallAfterBodyMs > 0) {
            const std::string strBody = reply.strBody;
            const int nStallMs = reply.nStallAfterBodyMs;
            res.set_content_provider(strBody.size() + 1, "text/plain",
                                     [this, strBody, nStallMs](std::size_t nOffset, std::size_t,
                                                               httplib::DataSink& sink) {
                                         if (nOffset < strBody.size()) {
                                             sink.write(strBody.data() + nOffset,
                                                        strBody.size() - nOffset);
                                             return true;
                                         }
                                         WaitOrStop(nStallMs);
                                         return false;
                                     });
        } else {
            res.set_content(reply.strBody, "text/plain");
        }
    });
}

CScriptedHttpServer::~CScriptedHttpServer()
{
    Stop();
}

void CScriptedHttpServer::AllowKeepAlive(int nRequests)
{
    m_nKeepAliveRequests = static_cast<std::size_t>(nRequests);
    m_pServer->set_keep_alive_max_count(m_nKeepAliveRequests);
}

bool CScriptedHttpServer::Start()
{
    return Serve();
}

bool CScriptedHttpServer::StartTls(const ScriptedTls& tls)
{
    auto pServer =
        std::make_unique<httplib::SSLServer>(tls.strCertFile.c_str(), tls.strKeyFile.c_str());
    if (!pServer->is_valid()) {
        return false;
    }
    m_pServer = std::move(pServer);
    m_bTls = true;
    Install();
    return Serve();
}

bool CScriptedHttpServer::Serve()
{
    m_nPort = m_pServer->bind_to_any_port("127.0.0.1");
    if (m_nPort <= 0) {
        return false;
    }
    // The library listens with a queue of five; clients that connect eight at once must not
    // see their connections dropped and retried a second later.
    if (m_nListenSocket >= 0) {
        ::listen(m_nListenSocket, SOMAXCONN);
    }
    m_thread = std::thread([this] { m_pServer->listen_after_bind(); });
    // stop() only works on a running server: wait for it so Stop never hangs in join.
    for (int i = 0; i < kStartWaitSteps && !m_pServer->is_running(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return m_pServer->is_running();
}

void CScriptedHttpServer::Stop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStopping = true;
    }
    m_stopped.notify_all();
    if (m_thread.joinable()) {
        m_pServer->stop();
        m_thread.join();
    }
}

std::string CScriptedHttpServer::Address() const
{
    return "127.0.0.1:" + std::to_string(m_nPort);
}

std::string CScriptedHttpServer::BaseUrl() const
{
    return (m_bTls ? "https://" : "http://") + Address();
}

void CScriptedHttpServer::Script(const std::string& strPath, std::vector<ScriptedReply> replies)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_script[strPath] = std::move(replies);
    m_used[strPath] = 0;
}

void CScriptedHttpServer::Script(const std::string& strPath, const ScriptedReply& reply)
{
    Script(strPath, std::vector<ScriptedReply>{reply});
}

void CScriptedHttpServer::Script(const std::string& strPath, ScriptedHandler handler)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_handlers[strPath] = std::move(handler);
}

int CScriptedHttpServer::MaxConcurrent() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_nMaxActive;
}

std::vector<ReceivedRequest> CScriptedHttpServer::Requests() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

void CScriptedHttpServer::ClearRequests()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_requests.clear();
    m_nMaxActive = m_nActive;
}

ScriptedReply CScriptedHttpServer::NextReply(const ReceivedRequest& request)
{
    const std::string& strPath = request.strPath;
    std::unique_lock<std::mutex> lock(m_mutex);
    if (const auto handler = m_handlers.find(strPath); handler != m_handlers.end()) {
        // Called unlocked: a handler may take its time, and others answer meanwhile.
        const ScriptedHandler call = handler->second;
        lock.unlock();
        return call(request);
    }
    const auto it = m_script.find(strPath);
    if (it == m_script.end() || it->second.empty()) {
        ScriptedReply missing;
        missing.nStatus = 404;
        missing.strBody = "no script for " + strPath + "\n";
        return missing;
    }
    std::size_t& nUsed = m_used[strPath];
    const std::size_t nIndex = nUsed < it->second.size() ? nUsed : it->second.size() - 1;
    ++nUsed;
    return it->second[nIndex];
}

void CScriptedHttpServer::WaitOrStop(int nMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_stopped.wait_for(lock, std::chrono::milliseconds(nMs), [this] { return m_bStopping; });
}
