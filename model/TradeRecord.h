// The fixed 168-byte trade record. Its memory image is its file image, so the layout is
// pinned field by field below; never reorder or resize a member.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Record status values shared by the desktop program and the conduit.
enum TradeStatus : std::int16_t {
    kStatusInStep = 0,  // in step with the handheld
    kStatusAdded = 1,   // added on the desktop
    kStatusChanged = 2, // changed (every refresh sets it)
    kStatusDeleted = 4, // ignored by every desktop view; removed by the conduit
};

struct TradeRecord
{
    std::int32_t id;
    std::int32_t refId;
    std::int32_t recordIndex;
    std::int16_t status;
    std::int16_t padding0;
    std::int32_t privateFlag;
    char category[16];
    char symbol[10];
    char padding1[2]; // padding1[0] terminates a symbol of exactly 10 characters
    double quantity;
    double price;
    double currentPrice;
    double dayChange;
    std::int32_t deductFee;
    std::int32_t closed;
    std::int32_t isSell;
    std::int32_t padding2;
    double brokerFee;
    char country[20];
    std::int32_t padding3;
    double auxValue1;
    double costPrice;
    double realizedPL;
    double auxValue2;
    std::int32_t buyDate;
    std::int32_t sellDate;
};

static_assert(sizeof(TradeRecord) == 168);
static_assert(offsetof(TradeRecord, id) == 0);
static_assert(offsetof(TradeRecord, refId) == 4);
static_assert(offsetof(TradeRecord, recordIndex) == 8);
static_assert(offsetof(TradeRecord, status) == 12);
static_assert(offsetof(TradeRecord, padding0) == 14);
static_assert(offsetof(TradeRecord, privateFlag) == 16);
static_assert(offsetof(TradeRecord, category) == 20);
static_assert(offsetof(TradeRecord, symbol) == 36);
static_assert(offsetof(TradeRecord, padding1) == 46);
static_assert(offsetof(TradeRecord, quantity) == 48);
static_assert(offsetof(TradeRecord, price) == 56);
static_assert(offsetof(TradeRecord, currentPrice) == 64);
static_assert(offsetof(TradeRecord, dayChange) == 72);
static_assert(offsetof(TradeRecord, deductFee) == 80);
static_assert(offsetof(TradeRecord, closed) == 84);
static_assert(offsetof(TradeRecord, isSell) == 88);
static_assert(offsetof(TradeRecord, padding2) == 92);
static_assert(offsetof(TradeRecord, brokerFee) == 96);
static_assert(offsetof(TradeRecord, country) == 104);
static_assert(offsetof(TradeRecord, padding3) == 124);
static_assert(offsetof(TradeRecord, auxValue1) == 128);
static_assert(offsetof(TradeRecord, costPrice) == 136);
static_assert(offsetof(TradeRecord, realizedPL) == 144);
static_assert(offsetof(TradeRecord, auxValue2) == 152);
static_assert(offsetof(TradeRecord, buyDate) == 160);
static_assert(offsetof(TradeRecord, sellDate) == 164);

// Field widths of the three texts (symbol may use all 10 bytes; its terminator then
// lies in padding1[0]).
constexpr std::size_t kSymbolMax = 10;
constexpr std::size_t kCategoryMax = 15;
constexpr std::size_t kCountryMax = 19;

// A record with every byte zero.
TradeRecord MakeEmptyTrade();

// Zeroes the padding members and every byte after each text's terminator, so that two
// records with the same fields have the same bytes.
void NormalizeTrade(TradeRecord& trade);

// The texts of a record, read up to the first zero (the symbol stops after byte 45).
std::string TradeSymbol(const TradeRecord& trade);
std::string TradeCategory(const TradeRecord& trade);
std::string TradeCountry(const TradeRecord& trade);

// Store a text into its field, cut to the field's width, with the rest zero-filled.
void SetTradeSymbol(TradeRecord& trade, std::string_view text);
void SetTradeCategory(TradeRecord& trade, std::string_view text);
void SetTradeCountry(TradeRecord& trade, std::string_view text);
