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

// The regional server's symbols carry an exchange suffix ("ABC*P"); the quote book may list
// the symbol with or without it.
std::optional<ServedQuote> FindWithSuffix(CQuoteBook& book, const std::string& strSymbol)
{
    if (auto quote = book.Find(strSymbol)) {
        return quote;
    }
    const std::size_t nStar = strSymbol.find('*');
    if (nStar != std::string::npos) {
        return book.Find(strSymbol.substr(0, nStar));
    }
    return std::nullopt;
}

// The options server is asked for ".BASE": an entry written with the leading dot is the
// option's own quote, otherwise the base symbol's quote is used.
std::optional<ServedQuote> FindOption(CQuoteBook& book, const std::string& strTicker)
{
    if (auto quote = book.Find(strTicker)) {
        return quote;
    }
    if (!strTicker.empty() && strTicker.front() == '.') {
        return book.Find(strTicker.substr(1));
    }
    return std::nullopt;
}

} // namespace

CQuoteService::CQuoteService(CQuoteBook& book, QuoteServiceOptions options)
    : m_book(book), m_options(std::move(options)), m_pServer(std::make_unique<httplib::Server>())
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
        httplib::default_socket_options(nSocket);
        m_nListenSocket = nSocket;
    });
    // A reply goes out in two writes (head, then body): without this, the body of every reply
    // after the first on a kept-alive connection waits for the client's delayed ACK.
    server.set_tcp_nodelay(true);
    server.set_read_timeout(kClientTimeoutSec, 0);
    server.set_write_timeout(kClientTimeoutSec, 0);

    server.Get("/d/quotes.csv", [this](const httplib::Request& req, httplib::Response& res) {
        const std::string strSymbol = req.get_param_value("s");
        res.set_content(UsCsvBody(strSymbol, m_book.Find(strSymbol), CurrentQuoteStamp()),
                        kCsvType);
    });
    server.Get("/quotes/ukie/quote.csv",
               [this](const httplib::Request& req, httplib::Response& res) {
                   const std::string strSymbol = req.get_param_value("symbols");
                   res.set_content(RegionalCsvBody(strSymbol, FindWithSuffix(m_book, strSymbol),
                                                   CurrentQuoteStamp()),
                                   kCsvType);
               });
    server.Get("/quotes/aunz/quote", [this](const httplib::Request& req, httplib::Response& res) {
        const std::string strSymbol = req.get_param_value("symbols");
        res.set_content(RegionalCsvBody(strSymbol, m_book.Find(strSymbol), CurrentQuoteStamp()),
                        kCsvType);
    });
    server.Get("/quotes/Detail.cfm", [this](const httplib::Request& req, httplib::Response& res) {
        const std::string strValor = req.get_param_value("Valor");
        res.set_content(SwissPageBody(strValor, m_book.Find(strValor)), kHtmlType);
    });
    server.Get("/cgi-bin/cboeget.exe", [this](const httplib::Request& req, httplib::Response& res) {
        const std::string strTicker = req.get_param_value("ticker");
        res.set_content(OptionsPageBody(strTicker, FindOption(m_book, strTicker)), kHtmlType);
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
