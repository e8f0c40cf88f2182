#include "tools/tfquoted/QuoteService.h"

#include <chrono>
#include <httplib.h>
#include <sys/socket.h>
#include <utility>

#include "tools/tfquoted/QuotePages.h"

namespace {

// A client that sends nothing for this long is dropped; quote clients send one short GET.
constexpr int kClientTimeoutSec = 5;

// How long Start waits for the serving thread to come up: 5 s in steps of 1 ms.
constexpr int kStartWaitSteps = 5000;
constexpr int kStartWaitStepMs = 1;

constexpr const char* kCsvType = "text/plain";
constexpr const char* kHtmlType = "text/html";
constexpr const char* kJsonType = "application/json";
constexpr int kHttpNotFound = 404;

const char* ContentTypeOf(EQuoteLayout layout)
{
    return layout == EQuoteLayout::UsCsv || layout == EQuoteLayout::RegionalCsv ? kCsvType
                                                                                : kHtmlType;
}

// SO_REUSEADDR only, so a restart need not wait for old connections to time out; the HTTP
// library's default would also set SO_REUSEPORT, which lets a second service bind the same
// port and take every other request.
void ExclusivePortOptions(int sock)
{
    int nYes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &nYes, sizeof(nYes));
}

} // namespace

CQuoteService::CQuoteService(IQuoteSource& source, QuoteServiceOptions options)
    : m_source(source), m_options(std::move(options)),
      m_pServer(std::make_unique<httplib::Server>())
{
    Install();
}

CQuoteService::CQuoteService(CQuoteBook& book, QuoteServiceOptions options)
    : m_pBookSource(std::make_unique<CBookSource>(book)), m_source(*m_pBookSource),
      m_options(std::move(options)), m_pServer(std::make_unique<httplib::Server>())
{
    Install();
}

CQuoteService::~CQuoteService()
{
    Stop();
}

void CQuoteService::Install()
{
    httplib::Server& server = *m_pServer;
    // The listening socket is kept to widen its queue once it listens (see Bind).
    server.set_socket_options([this](int nSocket) {
        ExclusivePortOptions(nSocket);
        m_nListenSocket = nSocket;
    });
    // A reply goes out in two writes (head, then body): without this, the body of every reply
    // after the first on a kept-alive connection waits for the client's delayed ACK.
    server.set_tcp_nodelay(true);
    server.set_read_timeout(kClientTimeoutSec, 0);
    server.set_write_timeout(kClientTimeoutSec, 0);

    for (const SQuotePath& path : kQuotePaths) {
        server.Get(path.pPath, [this, &path](const httplib::Request& req, httplib::Response& res) {
            const SQuoteAsk ask = AskForPath(path, req.get_param_value(path.pParameter));
            const SQuoteAnswer answer = m_source.Answer(ask);
            if (answer.bNotFound) {
                res.status = kHttpNotFound;
                res.set_content(answer.strNoQuote + "\n", kCsvType);
                return;
            }
            res.set_content(QuoteBody(ask, answer.quote, CurrentQuoteStamp()),
                            ContentTypeOf(path.layout));
        });
    }
    server.Get("/status", [this](const httplib::Request&, httplib::Response& res) {
        if (const auto status = m_source.Status()) {
            res.set_content(*status, kJsonType);
        } else {
            res.status = kHttpNotFound;
        }
    });
    server.Get("/version.htm", [this](const httplib::Request&, httplib::Response& res) {
        res.set_content(VersionBody(m_options.strVersion), kCsvType);
    });
    server.set_error_handler([](const httplib::Request& req, httplib::Response& res) {
        if (res.body.empty()) {
            res.set_content("<html><body><h1>" + std::to_string(res.status) + "</h1><p>" +
                                req.path + "</p></body></html>\r\n",
                            kHtmlType);
        }
    });
    if (m_options.log) {
        server.set_logger([this](const httplib::Request& req, const httplib::Response& res) {
            const std::string strLine = req.remote_addr + " " + req.method + " " + req.target +
                                        " " + std::to_string(res.status) + " " +
                                        std::to_string(res.body.size());
            std::lock_guard<std::mutex> lock(m_logMutex);
            m_options.log(strLine);
        });
    }
}

int CQuoteService::Bind(const std::string& strHost, int nPort)
{
    const int nBound = nPort == 0 ? m_pServer->bind_to_any_port(strHost)
                                  : (m_pServer->bind_to_port(strHost, nPort) ? nPort : -1);
    // The server library listens with a queue of five: a refresh that opens its eight
    // connections at once would see some dropped and retried a second later.
    if (nBound > 0 && m_nListenSocket >= 0)
        ::listen(m_nListenSocket, SOMAXCONN);
    return nBound;
}

void CQuoteService::Run()
{
    m_pServer->listen_after_bind();
}

void CQuoteService::Start()
{
    m_thread = std::thread([this] { Run(); });
    // Stop only takes effect once the server runs; wait for that so a quick Stop cannot
    // leave the thread serving forever.
    for (int i = 0; i < kStartWaitSteps && !m_pServer->is_running(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kStartWaitStepMs));
    }
}

void CQuoteService::Stop()
{
    m_pServer->stop();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}
