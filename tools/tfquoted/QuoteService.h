// The HTTP side of tfquoted: one handler per quote path, the version page and /status, over
// a quote source, with one log line per request. It never shares its port: a second service
// on a port already taken fails to bind.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "tools/tfquoted/QuoteBook.h"
#include "tools/tfquoted/QuoteSource.h"

namespace httplib {
class Server;
}

// What the version page answers unless told otherwise: the program's own version.
inline constexpr const char* kServedVersion = "1.85";
// The port every quote server role points at by default.
constexpr int kDefaultQuotedPort = 8470;

struct QuoteServiceOptions
{
    std::string strVersion = kServedVersion;
    // Receives one line per request; empty for no log.
    std::function<void(const std::string&)> log;
};

class CQuoteService
{
  public:
    CQuoteService(IQuoteSource& source, QuoteServiceOptions options);
    // Serves the book, with the old services' "N/A" fields for what it does not hold.
    CQuoteService(CQuoteBook& book, QuoteServiceOptions options);
    ~CQuoteService();

    CQuoteService(const CQuoteService&) = delete;
    CQuoteService& operator=(const CQuoteService&) = delete;

    // Binds the address (port 0: any free port) and returns the port, or -1.
    int Bind(const std::string& strHost, int nPort);
    // Serves until Stop; blocks the calling thread.
    void Run();
    // Serves on a thread of its own.
    void Start();
    void Stop();

  private:
    void Install();

    std::unique_ptr<CBookSource> m_pBookSource; // when made for a book
    IQuoteSource& m_source;
    QuoteServiceOptions m_options;
    std::unique_ptr<httplib::Server> m_pServer;
    std::thread m_thread;
    std::mutex m_logMutex;
    int m_nListenSocket = -1;
};
