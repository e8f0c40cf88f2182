// Where the quotes tfquoted serves come from: its quote book (a quotes file, a simulated
// market), or the gateway to a live quote service. The HTTP side asks a source and lays out
// what it answers in the layout of the path that was asked.
#pragma once

#include <optional>
#include <string>

#include "tools/tfquoted/QuoteAsk.h"
#include "tools/tfquoted/QuoteBook.h"

class CQuoteGateway;

struct SQuoteAnswer
{
    std::optional<ServedQuote> quote;
    // Answer 404 with this text instead of the layout's "N/A" fields.
    bool bNotFound = false;
    std::string strNoQuote;
};

class IQuoteSource
{
  public:
    virtual ~IQuoteSource() = default;
    virtual SQuoteAnswer Answer(const SQuoteAsk& ask) = 0;
    // The JSON of GET /status; nullopt when the source has none to give.
    virtual std::optional<std::string> Status() { return std::nullopt; }
};

// The quote book answers every path, with the old services' "N/A" fields for what it does
// not hold. Regional symbols are found with and without their exchange suffix; an option
// ticker ".XYZ" as itself, then as XYZ.
class CBookSource : public IQuoteSource
{
  public:
    explicit CBookSource(CQuoteBook& book) : m_book(book) {}
    SQuoteAnswer Answer(const SQuoteAsk& ask) override;

  private:
    CQuoteBook& m_book;
};

// The gateway answers with live quotes, and with 404 and the reason for "no quote".
class CGatewaySource : public IQuoteSource
{
  public:
    explicit CGatewaySource(CQuoteGateway& gateway) : m_gateway(gateway) {}
    SQuoteAnswer Answer(const SQuoteAsk& ask) override;
    std::optional<std::string> Status() override;

  private:
    CQuoteGateway& m_gateway;
};
