// The refresh cycle without any window: fetches every distinct quote of the open positions
// at once, then walks the trades in list order, applies each price, runs the alert test
// through a hook, stores the price, and returns the blotter rows and the five totals as
// texts. The main window and `tfport refresh` both show what it returns.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "model/BlotterSpace.h"
#include "model/Valuation.h"
#include "quotes/QuoteBatch.h"

// Fetches many quotes at once: one reply per request, in the requests' order (FetchQuotes, or
// a test's script in its place).
using QuoteBatchFunction = std::function<std::vector<SQuoteReply>(
    const std::vector<SQuoteRequest>& requests, const SQuoteBatchOptions& options)>;
// Runs the pager alert test for one priced record; when dates the mail: the arrival of a
// fetched price, the refresh's time for a stored one.
using AlertFunction = std::function<void(const CBlotterSpace& doc, const TradeRecord& trade,
                                         double dPrice, double dChange, std::time_t when)>;

// The grid's six data columns.
constexpr int kBlotterColumns = 6;

struct BlotterRow
{
    std::int32_t tradeId = 0;
    std::string symbol;                 // the side heading
    std::string cells[kBlotterColumns]; // price, change, quantity, value, P/L today, position P/L
    RowAmounts amounts;
    // When the row's price arrived; 0 when it is the stored one (not fetched, or failed).
    std::time_t priced = 0;
};

// Indexes of the five total texts.
enum TotalText {
    kTotalPositionPL,
    kTotalValue,
    kTotalPLToday,
    kTotalRealizedMTD,
    kTotalRealizedYTD
};
constexpr int kTotalTextCount = 5;

struct RefreshResult
{
    std::vector<BlotterRow> rows;
    double dTotalValue = 0;
    double dTotalPLToday = 0;
    double dTotalPositionPL = 0;
    RealizedPL realized;
    std::string totals[kTotalTextCount];
    // One reply per distinct quote asked (symbol, country, use-bid), in list order of the
    // first lot; empty for a refresh from the stored prices.
    std::vector<SQuoteReply> quotes;
    int nQuotesAsked = 0;
    int nQuotesFailed = 0; // their lots kept their stored prices
};

// The distinct quotes of the open positions, in list order of their first lot.
std::vector<SQuoteRequest> DistinctQuotes(const CBlotterSpace& doc);

// Applies fetched replies (nullptr: price from the stored values) to the document in list
// order. A lot whose quote arrived gets its price, is tested for an alert and becomes
// changed; a lot whose quote failed (or was not asked) keeps its price, change and status
// and is not tested. Every open lot that passes the category filter becomes a row.
RefreshResult ApplyRefresh(CBlotterSpace& doc, const std::vector<SQuoteReply>* pReplies,
                           const AlertFunction& alert, std::time_t now);

// One refresh over the document: with bFetch the distinct quotes are fetched through fetch
// (with the options given) and applied; without it no quote is asked for and the stored
// prices are used.
RefreshResult RunRefresh(CBlotterSpace& doc, bool bFetch, const QuoteBatchFunction& fetch,
                         const AlertFunction& alert, std::time_t now,
                         const SQuoteBatchOptions& options = {});

// The rows a refresh would show, without pricing anything: side headings in list order.
std::vector<std::string> BlotterSymbols(const CBlotterSpace& doc);

// The caption after a refresh: "Tallyfern Desktop:  Last refresh on MM/DD/YY at HH:MM:SS",
// in the date and time forms of the alert texts.
std::string RefreshCaption(std::time_t when);

// "Refreshing 37 of 100 quotes..." (with an ellipsis character) while a refresh runs.
std::string RefreshProgressText(std::size_t nArrived, std::size_t nTotal);

// "3 quotes failed: XYZ (HTTP 503), ABC (refused), DEF (no answer in time)" after a refresh
// with failures, naming the first few; empty when none failed.
std::string RefreshFailureText(const RefreshResult& result);
