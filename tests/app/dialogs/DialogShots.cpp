// Takes a picture of each of the four editing dialogs, filled with a small sample portfolio,
// into the folder named on the command line (docs/ keeps them). Run it under Xvfb for the
// desktop's real fonts; it is built with the tests but is not one.
#include <cstdio>
#include <string>

#include <QApplication>

#include "app/PagerPrefsDlg.h"
#include "app/PreferencesDlg.h"
#include "app/dialogs/EditCategoriesDlg.h"
#include "app/dialogs/EditTradesDlg.h"
#include "model/BlotterSpace.h"
#include "model/Ledger.h"

namespace {

// 1998-03-05 15:00 UTC.
constexpr std::int32_t kBought = 889110000;

TradeValues Values(const char* pszSymbol, double dQuantity, double dPrice, const char* pszCategory,
                   const char* pszCountry)
{
    TradeValues values;
    values.symbol = pszSymbol;
    values.quantity = dQuantity;
    values.price = dPrice;
    values.brokerFee = 9.95;
    values.category = pszCategory;
    values.country = pszCountry;
    return values;
}

CBlotterSpace SamplePortfolio()
{
    CBlotterSpace doc;
    doc.AddDefaultCategories();
    AddBuy(doc, Values("MSFT", 200, 84.125, "Business", "United States"), kBought);
    AddBuy(doc, Values("IBM", 100, 104.5, "401(k)", "United States"), kBought);
    AddBuy(doc, Values("BHP", 500, 12.8, "Personal", "Australia"), kBought);
    AddBuy(doc, Values("NESN", 10, 2705, "Stock Plan", "Switzerland"), kBought);
    TradeRecord ibm = MakeEmptyTrade();
    doc.FindTrade(2, ibm);
    AddSell(doc, &ibm, Values("IBM", 40, 118.25, "401(k)", "United States"), kBought + 86400 * 9);
    return doc;
}

bool Save(CDialog& dlg, const std::string& strPath)
{
    dlg.show();
    QApplication::processEvents();
    const bool bSaved = dlg.grab().save(QString::fromStdString(strPath), "PNG");
    std::printf("%s %s\n", bSaved ? "wrote" : "could not write", strPath.c_str());
    dlg.hide();
    return bSaved;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const std::string strDir = argc > 1 ? argv[1] : ".";
    bool bAll = true;

    CEditTradesDlg trades;
    trades.m_doc = SamplePortfolio();
    trades.m_bShowClosed = 1;
    trades.Create();
    bAll &= Save(trades, strDir + "/dialog-trades.png");

    CEditCategoriesDlg categories;
    categories.m_doc = SamplePortfolio();
    categories.Create();
    bAll &= Save(categories, strDir + "/dialog-categories.png");

    CPreferencesDlg prefs;
    CBlotterSpace doc = SamplePortfolio();
    doc.m_bAutoRefresh = 1;
    doc.m_nRefreshMinutes = 15;
    doc.m_dExternalYtdGains = 1250.5;
    prefs.LoadFrom(doc);
    prefs.Create();
    bAll &= Save(prefs, strDir + "/dialog-preferences.png");

    CPagerPrefsDlg pager;
    doc.m_bPagerAlerts = 1;
    doc.m_strMailFrom = "me@example.org";
    doc.m_strSmtpServer = "mail.example.org";
    doc.m_strPagerAddress = "pager@example.org";
    pager.LoadFrom(doc);
    pager.Create();
    bAll &= Save(pager, strDir + "/dialog-pager.png");
    return bAll ? 0 : 1;
}
