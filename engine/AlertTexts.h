// The figures and texts of one pager alert: how far a position moved since the previous
// close, and the line, subject and body of the mail that reports it.
#pragma once

#include <ctime>
#include <string>

#include "model/TradeRecord.h"

// The amounts behind one alert, unrounded.
struct CAlertFigures
{
    double m_dClosingValue = 0;   // (price - change) x quantity
    double m_dValueNow = 0;       // price x quantity
    double m_dDayPL = 0;          // change x quantity
    double m_dPurchaseAmount = 0; // price per unit x quantity
    double m_dMovePercent = 0;    // 0 when the closing value is exactly 0
};

struct CAlertTexts
{
    std::string m_strLine;
    std::string m_strSubject;
    std::string m_strBody;
};

CAlertFigures ComputeAlertFigures(const TradeRecord& trade, double dPrice, double dChange);

// True when the move's size reaches the whole-percent threshold; a threshold of 0 or less
// never does, nor does a move that is not a number.
bool AlertThresholdReached(double dMovePercent, int nThresholdPercent);

// The texts of the alert, dated with the local date and time of now. They hold numbers of
// any length: nothing is cut.
CAlertTexts ComposeAlertTexts(const TradeRecord& trade, double dPrice, double dChange,
                              const CAlertFigures& figures, std::time_t now);

// The local date as month/day/two-digit year and the local time as hours:minutes:seconds
// (24-hour clock), two digits each: "03/05/98", "09:07:45".
std::string AlertDateText(std::time_t t);
std::string AlertTimeText(std::time_t t);
