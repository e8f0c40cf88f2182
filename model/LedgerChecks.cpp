#include "model/LedgerChecks.h"

#include <algorithm>
#include <cmath>

#include "model/BlotterSpace.h"

const char* const kMsgPositionNotOpen = "Position not open! Please select open position to sell.";
const char* const kCapPositionNotOpen = "Cannot sell closed position";
const char* const kMsgSellAmount =
    "Sell amount greater than current holding. Please re-enter position.";
const char* const kCapSellAmount = "Short sell not supported";
const char* const kMsgUpdateBuySell = "Cannot update buy/sell change.";
const char* const kMsgUpdateClosed = "Update not supported for closed positions.";
const char* const kCapUpdateError = "Update error";
const char* const kCapInvalidNumber = "Invalid number";
const char* const kMsgBadQuantity = "The quantity must be a finite number above 0.";
const char* const kMsgBadPrice = "The price per unit must be a finite number, 0 or more.";
const char* const kMsgBadFee = "The broker fee must be a finite number, 0 or more.";
const char* const kCapCategoryError = "Category error";
const char* const kMsgCategoryAll =
    "\"All\" selects every trade and cannot be a trade's category. Please choose another.";
const char* const kCapDateError = "Date error";
const char* const kMsgSaleBeforeBuy = "A sale cannot be dated before the purchase it sells from.";
const char* const kMsgBuyAfterSale = "A purchase cannot be dated after a sale from it.";
const char* const kCapRemoveError = "Remove error";

bool SameQuantity(double a, double b)
{
    return std::fabs(a - b) <= kQuantityTolerance * std::max(std::fabs(a), std::fabs(b));
}

LedgerCheck CheckTradeNumbers(double quantity, double price, double brokerFee)
{
    if (!std::isfinite(quantity) || !(quantity > 0))
        return {kMsgBadQuantity, kCapInvalidNumber, ETradeField::Quantity};
    if (!std::isfinite(price) || price < 0)
        return {kMsgBadPrice, kCapInvalidNumber, ETradeField::Price};
    if (!std::isfinite(brokerFee) || brokerFee < 0)
        return {kMsgBadFee, kCapInvalidNumber, ETradeField::BrokerFee};
    return {};
}

LedgerCheck CheckTradeCategory(std::string_view category)
{
    if (category == kCategoryAll)
        return {kMsgCategoryAll, kCapCategoryError, ETradeField::Category};
    return {};
}

LedgerCheck CheckSaleDate(std::int32_t saleDate, std::int32_t buyDate)
{
    if (saleDate < buyDate)
        return {kMsgSaleBeforeBuy, kCapDateError, ETradeField::Date};
    return {};
}

std::string RemoveWithSalesMessage(std::int32_t buyId, const std::vector<std::int32_t>& saleIds)
{
    std::string ids;
    for (std::int32_t id : saleIds)
        ids += (ids.empty() ? "" : ", ") + std::to_string(id);
    const bool one = saleIds.size() == 1;
    return "Cannot remove trade " + std::to_string(buyId) + ": " + (one ? "sale " : "sales ") +
           ids + (one ? " refers" : " refer") + " to it. Remove " +
           (one ? "the sale" : "the sales") + " first.";
}
