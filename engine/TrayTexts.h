// The tray's picture and tooltip after a refresh, chosen from the day's total P/L.
#pragma once

#include <cstddef>
#include <string>

// Icon resources of the main window.
constexpr int kTrayGainIcon = 133;
constexpr int kTrayLossIcon = 134;

// The shell's tooltip field holds 63 characters and a terminator.
constexpr std::size_t kTrayTooltipMax = 63;

// The tooltip before the first refresh.
extern const char* const kTrayDefaultTooltip;

struct CTrayChoice
{
    int m_nIcon = kTrayGainIcon;
    std::string m_strTooltip;
};

// Gain icon above 0, loss icon otherwise; the tooltip names the total with two decimals
// and no separators. A total too long to fit is written in exponent form, so the text
// never exceeds kTrayTooltipMax and never shows a cut-off number.
CTrayChoice ChooseTrayState(double dTotalToday);
