// What every trade entered must satisfy, whoever enters it (the trade dialog, tfport, an
// import, the conduit): finite numbers in range, a category a trade may carry, a sale that
// is not dated before its purchase. And the texts of every ledger refusal.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The entry field a refusal is about.
enum class ETradeField { None, Symbol, Quantity, Price, BrokerFee, Category, Date };

// Quantities are decimal numbers entered by people (0.1, 0.3) that binary doubles hold only
// approximately; after a few sales the units held differ from what the user sees by a few
// units in the last place. One part in a billion lies far above that rounding and far below
// any real fraction of a unit that anyone trades.
constexpr double kQuantityTolerance = 1e-9;

// True when a and b are the same quantity within kQuantityTolerance (relative).
bool SameQuantity(double a, double b);

struct LedgerCheck
{
    const char* message = nullptr; // nullptr: no refusal
    const char* caption = nullptr;
    ETradeField field = ETradeField::None;

    explicit operator bool() const { return message != nullptr; }
};

// A trade's quantity must be finite and above 0; its price and fee finite and 0 or more.
LedgerCheck CheckTradeNumbers(double quantity, double price, double brokerFee);
// "All" selects every trade in the window's filter; it is never a trade's category.
LedgerCheck CheckTradeCategory(std::string_view category);
// A sale is never dated before the purchase it sells from.
LedgerCheck CheckSaleDate(std::int32_t saleDate, std::int32_t buyDate);

// The refusal texts.
extern const char* const kMsgPositionNotOpen;
extern const char* const kCapPositionNotOpen;
extern const char* const kMsgSellAmount;
extern const char* const kCapSellAmount;
extern const char* const kMsgUpdateBuySell;
extern const char* const kMsgUpdateClosed;
extern const char* const kCapUpdateError;
extern const char* const kCapInvalidNumber;
extern const char* const kMsgBadQuantity;
extern const char* const kMsgBadPrice;
extern const char* const kMsgBadFee;
extern const char* const kCapCategoryError;
extern const char* const kMsgCategoryAll;
extern const char* const kCapDateError;
extern const char* const kMsgSaleBeforeBuy;
extern const char* const kMsgBuyAfterSale;
extern const char* const kCapRemoveError;

// "Cannot remove trade 1: sales 2, 3 refer to it. Remove the sales first."
std::string RemoveWithSalesMessage(std::int32_t buyId, const std::vector<std::int32_t>& saleIds);
