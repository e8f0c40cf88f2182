// The refresh cycle without any window: walks the trades in list order, prices every open
// position through a quote function, runs the alert test through a hook, stores the price,
// and returns the blotter rows and the five totals as texts. The main window and `tfport
// refresh` both show what it returns.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "model/BlotterSpace.h"
#include "model/Valuation.h"

// Returns FetchQuote's result code; price and change are set only for 0.
using QuoteFunction = std::function<int(const std::string& symbol, const std::string& country,
                                        int bUseBid, double& dPrice, double& dChange)>;
// Runs the pager alert test for one priced record.
using AlertFunction = std::function<void(const CBlotterSpace& doc, const TradeRecord& trade,
                                         double dPrice, double dChange)>;

// The grid's six data columns.
constexpr int kBlotterColumns = 6;

struct BlotterRow
{
    std::int32_t tradeId = 0;
    std::string symbol;                 // the side heading
    std::string cells[kBlotterColumns]; // price, change, quantity, value, P/L today, position P/L
    RowAmounts amounts;
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
    int nFetchFailures = 0; // quotes that kept their stored price
};

// One refresh over the document. With bFetch false no quote is asked for and the stored
// prices are used. The document's current prices, day changes and statuses are updated.
RefreshResult RunRefresh(CBlotterSpace& doc, bool bFetch, const QuoteFunction& quote,
                         const AlertFunction& alert, std::time_t now);

// The rows a refresh would show, without pricing anything: side headings in list order.
std::vector<std::string> BlotterSymbols(const CBlotterSpace& doc);

// The caption after a refresh: "Tallyfern Desktop:  Last refresh on MM/DD/YY at HH:MM:SS",
// in the date and time forms of the alert texts.
std::string RefreshCaption(std::time_t when);
