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
    m_pServer->set_read_timeout(kServerIoTimeoutSec, 0);
    m_pServer->set_write_timeout(kServerIoTimeoutSec, 0);
    m_pServer->set_keep_alive_max_count(1);
    // A reply goes out in two writes: without this, on a kept-alive connection the body
    // waits for the client's delayed ACK.
    m_pServer->set_tcp_nodelay(true);
    m_pServer->new_task_queue = [] { return new httplib::ThreadPool(kServerThreads); };
    m_pServer->set_socket_options([this](int nSocket) {
        httplib::default_socket_options(nSocket);
        m_nListenSocket = nSocket;
    });
    m_pServer->Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
        ReceivedRequest received;
        received.nRemotePort = req.remote_port;
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
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_requests.push_back(received);
            m_nMaxConcurrent = std::max(m_nMaxConcurrent, ++m_nConcurrent);
        }
        struct SLeave
        {
            CScriptedHttpServer* pServer;
            ~SLeave()
            {
                std::lock_guard<std::mutex> lock(pServer->m_mutex);
                --pServer->m_nConcurrent;
            }
        } leave{this};

        const ScriptedReply reply = NextReply(req.target, req.path);
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
    m_pServer->set_keep_alive_max_count(static_cast<std::size_t>(nRequests));
}

bool CScriptedHttpServer::Start()
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

std::vector<ReceivedRequest> CScriptedHttpServer::Requests() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

void CScriptedHttpServer::ClearRequests()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_requests.clear();
    m_nMaxConcurrent = m_nConcurrent;
}

int CScriptedHttpServer::MaxConcurrentRequests() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_nMaxConcurrent;
}

ScriptedReply CScriptedHttpServer::NextReply(const std::string& strTarget,
                                             const std::string& strPath)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_script.find(strTarget);
    const std::string strKey = it != m_script.end() ? strTarget : strPath;
    if (it == m_script.end())
        it = m_script.find(strPath);
    if (it == m_script.end() || it->second.empty()) {
        ScriptedReply missing;
        missing.nStatus = 404;
        missing.strBody = "no script for " + strPath + "\n";
        return missing;
    }
    std::size_t& nUsed = m_used[strKey];
    const std::size_t nIndex = nUsed < it->second.size() ? nUsed : it->second.size() - 1;
    ++nUsed;
    return it->second[nIndex];
}

void CScriptedHttpServer::WaitOrStop(int nMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_stopped.wait_for(lock, std::chrono::milliseconds(nMs), [this] { return m_bStopping; });
}
