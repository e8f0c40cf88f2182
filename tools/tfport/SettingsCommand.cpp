// settings: changes the portfolio's settings from the terminal, with the same bounds the
// preferences dialogs keep; without options it prints nothing and changes nothing.
#include <ostream>

#include "notify/SmtpServerSetting.h"
#include "tools/tfport/Commands.h"

namespace {
// The pager-preferences dialog takes a whole percent from 0 to 100.
constexpr int kAlertPercentMax = 100;
// A window timer holds at most 2^31 - 1 milliseconds: 35791 minutes.
constexpr int kRefreshMinutesMax = 35791;

std::int32_t OnOff(const std::string& text, const char* name)
{
    if (text == "on" || text == "yes" || text == "1")
        return 1;
    if (text == "off" || text == "no" || text == "0")
        return 0;
    throw CCommandError{std::string(name) + " takes on or off, not \"" + text + "\""};
}

std::int32_t WholeNumber(const std::string& text, const char* name, int low, int high)
{
    double value = RequireNumber(text, name);
    if (value != static_cast<long long>(value) || value < low || value > high)
        throw CCommandError{std::string(name) + " must be a whole number from " +
                            std::to_string(low) + " to " + std::to_string(high)};
    return static_cast<std::int32_t>(value);
}

std::string Text(const std::string& text, const char* name)
{
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7F)
            throw CCommandError{std::string(name) + " holds a control character"};
    return text;
}
// host, host:port or [v6-address]:port.
std::string SmtpServer(const std::string& text, const char* name)
{
    CSmtpServerAddress address;
    std::string reason;
    if (!ParseSmtpServer(Text(text, name), address, reason))
        throw CCommandError{std::string(name) + " \"" + text + "\": " + reason +
                            " (write HOST, HOST:PORT or [ADDRESS]:PORT)"};
    return text;
}
} // namespace

int CmdSettings(const CCommandLine& line, std::ostream& out)
{
    if (!line.positional.empty())
        throw CCommandError{"usage: tfport settings [--OPTION VALUE]...", 2};
    CLockedPortfolio portfolio(PortfolioPath(line));
    CBlotterSpace& doc = portfolio.Doc();
    int changed = 0;
    auto apply = [&](const char* option, auto&& set) {
        if (auto value = line.Option(option)) {
            set(*value, option + 2);
            ++changed;
        }
    };
    apply("--auto-refresh",
          [&](const std::string& v, const char* n) { doc.m_bAutoRefresh = OnOff(v, n); });
    apply("--interval", [&](const std::string& v, const char* n) {
        doc.m_nRefreshMinutes = WholeNumber(v, n, 0, kRefreshMinutesMax);
    });
    apply("--deduct-fees",
          [&](const std::string& v, const char* n) { doc.m_bDeductBrokerage = OnOff(v, n); });
    apply("--use-bid",
          [&](const std::string& v, const char* n) { doc.m_bUseBidForOptions = OnOff(v, n); });
    apply("--check-version",
          [&](const std::string& v, const char* n) { doc.m_bCheckVersion = OnOff(v, n); });
    apply("--base-country",
          [&](const std::string& v, const char* n) { doc.m_strBaseCountry = Text(v, n); });
    apply("--external-ytd", [&](const std::string& v, const char* n) {
        doc.m_dExternalYtdGains = RequireNumber(v, n);
    });
    apply("--alerts",
          [&](const std::string& v, const char* n) { doc.m_bPagerAlerts = OnOff(v, n); });
    apply("--alert-percent", [&](const std::string& v, const char* n) {
        doc.m_nAlertPercent = WholeNumber(v, n, 0, kAlertPercentMax);
    });
    apply("--smtp-server",
          [&](const std::string& v, const char* n) { doc.m_strSmtpServer = SmtpServer(v, n); });
    apply("--mail-from",
          [&](const std::string& v, const char* n) { doc.m_strMailFrom = Text(v, n); });
    apply("--pager",
          [&](const std::string& v, const char* n) { doc.m_strPagerAddress = Text(v, n); });
    if (changed == 0)
        throw CCommandError{"settings: name at least one setting to change (see tfport --help)", 2};
    portfolio.Save();
    out << "Changed " << changed << " setting(s)\n";
    return 0;
}
