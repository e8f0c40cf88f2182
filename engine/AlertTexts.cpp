#include "engine/AlertTexts.h"

#include <cmath>

#include "platform/text/FormatAmount.h"
#include "platform/text/Numbers.h"

namespace {

// Amounts in the texts: two decimals with separators; prices and the move: four, without.
constexpr int kAmountDecimals = 2;
constexpr int kPriceDecimals = 4;

constexpr const char* kSubjectPrefix = "Tallyfern Alert! ";

std::string TwoDigits(int value)
{
    value = ((value % 100) + 100) % 100;
    return std::string{static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
}

std::tm LocalTime(std::time_t t)
{
    std::tm local{};
    if (localtime_r(&t, &local) == nullptr)
        return std::tm{};
    return local;
}

} // namespace

CAlertFigures ComputeAlertFigures(const TradeRecord& trade, double dPrice, double dChange)
{
    CAlertFigures figures;
    figures.m_dClosingValue = (dPrice - dChange) * trade.quantity;
    figures.m_dValueNow = dPrice * trade.quantity;
    figures.m_dDayPL = dChange * trade.quantity;
    figures.m_dPurchaseAmount = trade.price * trade.quantity;
    figures.m_dMovePercent =
        figures.m_dClosingValue == 0
            ? 0
            : (figures.m_dValueNow - figures.m_dClosingValue) / figures.m_dClosingValue * 100;
    return figures;
}

bool AlertThresholdReached(double dMovePercent, int nThresholdPercent)
{
    if (nThresholdPercent <= 0)
        return false;
    // Written as "not below" would let NaN through; a move that is no number is no move.
    return std::fabs(dMovePercent) >= static_cast<double>(nThresholdPercent);
}

CAlertTexts ComposeAlertTexts(const TradeRecord& trade, double dPrice, double dChange,
                              const CAlertFigures& figures, std::time_t now)
{
    CAlertTexts texts;
    texts.m_strLine = TradeSymbol(trade) + " position changed by " +
                      FormatAmount(figures.m_dDayPL, kAmountDecimals) + " (" +
                      FormatFixed(figures.m_dMovePercent, kPriceDecimals) + "%).";
    texts.m_strSubject = kSubjectPrefix + texts.m_strLine;
    texts.m_strBody = texts.m_strSubject + " Closing value was " +
                      FormatAmount(figures.m_dClosingValue, kAmountDecimals) + ", now is " +
                      FormatAmount(figures.m_dValueNow, kAmountDecimals) + ". Purchased for " +
                      FormatAmount(figures.m_dPurchaseAmount, kAmountDecimals) + " at " +
                      FormatFixed(trade.price, kPriceDecimals) + ". Current price is " +
                      FormatFixed(dPrice, kPriceDecimals) + ", changed by " +
                      FormatFixed(dChange, kPriceDecimals) + " (on " + AlertDateText(now) + " at " +
                      AlertTimeText(now) + ").";
    return texts;
}

std::string AlertDateText(std::time_t t)
{
    std::tm local = LocalTime(t);
    return TwoDigits(local.tm_mon + 1) + "/" + TwoDigits(local.tm_mday) + "/" +
           TwoDigits(local.tm_year + 1900);
}

std::string AlertTimeText(std::time_t t)
{
    std::tm local = LocalTime(t);
    return TwoDigits(local.tm_hour) + ":" + TwoDigits(local.tm_min) + ":" + TwoDigits(local.tm_sec);
}
