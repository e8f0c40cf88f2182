// What the refresh benchmarks share: portfolios of distinct positions, the quote servers they
// fetch from (one that answers each request after a delay, one that accepts and never
// answers), and the sequential cycle they are compared with: one FetchQuote per position,
// one after another, each over a connection of its own.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/BlotterSpace.h"
#include "quotes/QuoteBatch.h"
#include "tests/support/httpserver/ScriptedHttpServer.h"
#include "tests/support/httpserver/SilentListener.h"

// nPositions open buys of distinct US symbols S0, S1, ... in one portfolio.
CBlotterSpace MakeBenchPortfolio(int nPositions);
std::string BenchSymbol(int n);

// The sequential cycle: FetchQuote for every request in turn.
std::vector<SQuoteReply> FetchOneAfterAnother(const std::vector<SQuoteRequest>& requests,
                                              const SQuoteBatchOptions& options);

// A quote server on loopback that answers every US quote after nDelayMs, over kept-alive
// connections; the US role points at it while it lives.
class CDelayedQuoteServer
{
  public:
    explicit CDelayedQuoteServer(int nDelayMs);
    ~CDelayedQuoteServer();
    bool IsRunning() const { return m_bRunning; }

  private:
    CScriptedHttpServer m_server;
    bool m_bRunning = false;
};

// A server on loopback that accepts and never answers; the US role points at it while it
// lives.
class CSilentQuoteServer
{
  public:
    CSilentQuoteServer();
    ~CSilentQuoteServer();
    bool IsRunning() const { return m_listener.Port() > 0; }

  private:
    CSilentListener m_listener;
};
