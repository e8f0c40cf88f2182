#include "engine/TrayTexts.h"

#include <array>
#include <charconv>

#include "platform/text/Numbers.h"

const char* const kTrayDefaultTooltip = "Tallyfern Desktop";

namespace {

constexpr int kTotalDecimals = 2;
// Digits after the point when the total has to be written with an exponent.
constexpr int kExponentDigits = 2;
// "-1.80e+308" and room to spare.
constexpr std::size_t kExponentBuffer = 32;

std::string TooltipFor(const char* prefix, const std::string& number)
{
    return std::string(prefix) + number + " today!";
}

std::string ShortNumber(double value)
{
    std::array<char, kExponentBuffer> buffer{};
    auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                std::chars_format::scientific, kExponentDigits);
    if (result.ec != std::errc())
        return "?";
    return std::string(buffer.data(), result.ptr);
}

} // namespace

CTrayChoice ChooseTrayState(double dTotalToday)
{
    CTrayChoice choice;
    if (dTotalToday == 0) {
        choice.m_nIcon = kTrayLossIcon;
        choice.m_strTooltip = "Tallyfern Desktop: Made no money today!";
        return choice;
    }
    const char* prefix = "Tallyfern Desktop: Lost ";
    choice.m_nIcon = kTrayLossIcon;
    if (dTotalToday > 0) {
        prefix = "Tallyfern Desktop: Gained ";
        choice.m_nIcon = kTrayGainIcon;
    }
    choice.m_strTooltip = TooltipFor(prefix, FormatFixed(dTotalToday, kTotalDecimals));
    if (choice.m_strTooltip.size() > kTrayTooltipMax)
        choice.m_strTooltip = TooltipFor(prefix, ShortNumber(dTotalToday));
    return choice;
}
