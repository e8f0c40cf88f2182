// What the main-window tests share: the offscreen application, a scratch folder holding
// info.kgw, portfolio building helpers, scripted quotes and version answers, and the
// recording message-box sink and shell host.
#pragma once

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <time.h>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "app/AppResources.h"
#include "app/BlotterDlg.h"
#include "model/BlotterSpace.h"
#include "model/PortfolioFile.h"
#include "model/TradeRecord.h"
#include "tests/support/msgboxsink/RecordingMessageBoxSink.h"
#include "tests/support/trayshell/RecordingShellHost.h"

inline QApplication& AppForTests()
{
    static int argc = 1;
    static char name[] = "tf_app_tests";
    static char* argv[] = {name, nullptr};
    // Kept for the program's life: widgets of static objects may outlive main.
    static auto* pApp = [] {
        // The test environment names these too; set here as well so that a run by hand or
        // under a runner that drops them gets the same clock and platform.
        setenv("TZ", "America/New_York", 1);
        tzset();
        if (std::getenv("QT_QPA_PLATFORM") == nullptr)
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        auto* p = new QApplication(argc, argv);
        p->setQuitOnLastWindowClosed(false);
        RegisterAppResources();
        return p;
    }();
    return *pApp;
}

// Processes events until done() holds or nMs pass; done()'s final answer.
template <class F> bool PumpUntil(F done, int nMs = 3000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < nMs)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

// Runs act on the first visible dialog of type T once the command that the test sends next
// has opened it (in the dialog's own event loop).
template <class T, class F> void WhenOpen(F act)
{
    QTimer::singleShot(0, [act] {
        for (QWidget* pWidget : QApplication::topLevelWidgets()) {
            if (auto* pDlg = dynamic_cast<T*>(pWidget); pDlg != nullptr && pDlg->isVisible()) {
                act(*pDlg);
                return;
            }
        }
    });
}

// A menu or button command, as the window receives it.
inline void Command(CBlotterDlg& dlg, unsigned nId)
{
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(nId, 0), 0);
}

inline TradeRecord MakeBuy(std::int32_t id, const std::string& strSymbol, double dQuantity,
                           double dCost, const std::string& strCategory = "Personal",
                           double dCurrent = 0, double dChange = 0)
{
    TradeRecord trade = MakeEmptyTrade();
    trade.id = id;
    trade.status = kStatusInStep;
    SetTradeSymbol(trade, strSymbol);
    SetTradeCategory(trade, strCategory);
    SetTradeCountry(trade, "United States");
    trade.quantity = dQuantity;
    trade.price = dCost;
    trade.currentPrice = dCurrent;
    trade.dayChange = dChange;
    return trade;
}

// A document as a saved portfolio holds it, with the defaults the window would set.
inline CBlotterSpace MakePortfolio(const std::vector<TradeRecord>& trades)
{
    CBlotterSpace doc;
    doc.m_bAutoRefresh = 0;
    doc.m_nRefreshMinutes = 10;
    doc.m_strCategoryFilter = "All";
    doc.m_bCheckVersion = 1;
    doc.AddDefaultCategories();
    for (const TradeRecord& trade : trades)
        doc.m_trades.AddTail(trade);
    return doc;
}

// A quote source that answers from a table and records every request.
struct CScriptedQuotes
{
    struct SAnswer
    {
        int nResult = 0;
        double dPrice = 0;
        double dChange = 0;
    };
    std::map<std::string, SAnswer> answers;
    std::vector<std::string> requests;
    // Runs inside a request, as a slow network would let other things happen.
    std::function<void(const std::string&)> during;

    QuoteFunction Function()
    {
        return [this](const std::string& strSymbol, const std::string&, int, double& dPrice,
                      double& dChange) {
            requests.push_back(strSymbol);
            if (during)
                during(strSymbol);
            const auto it = answers.find(strSymbol);
            if (it == answers.end())
                return 2;
            if (it->second.nResult == 0) {
                dPrice = it->second.dPrice;
                dChange = it->second.dChange;
            }
            return it->second.nResult;
        };
    }
};

class CWindowTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        AppForTests();
        m_folder = std::filesystem::temp_directory_path() /
                   ("tf_app_" + std::to_string(::getpid()) + "_" + std::to_string(++s_nCase));
        std::filesystem::remove_all(m_folder);
        std::filesystem::create_directories(m_folder);
        m_strPath = (m_folder / "info.kgw").string();
    }
    void TearDown() override
    {
        m_pDlg.reset();
        std::filesystem::remove_all(m_folder);
    }

    void WritePortfolio(CBlotterSpace doc) { ASSERT_TRUE(WritePortfolioFile(m_strPath, doc).bOk); }
    CBlotterSpace ReadBack()
    {
        CBlotterSpace doc;
        EXPECT_EQ(ReadPortfolioFile(m_strPath, doc).status, PortfolioReadStatus::Read);
        return doc;
    }

    SBlotterServices Services()
    {
        SBlotterServices services;
        services.quote = m_quotes.Function();
        services.fetchVersion = [this](double& dVersion) {
            ++m_nVersionRequests;
            dVersion = m_dVersion;
        };
        services.clock = [this] { return m_now; };
        services.strPortfolioPath = m_strPath;
        return services;
    }
    // Makes the window and runs its creation and initialisation (the first refresh
    // included) without showing it.
    CBlotterDlg& Open(SBlotterServices services)
    {
        m_pDlg = std::make_unique<CBlotterDlg>(std::move(services));
        EXPECT_TRUE(m_pDlg->Create());
        return *m_pDlg;
    }
    CBlotterDlg& Open() { return Open(Services()); }

    std::vector<std::string> RowTexts(int nCol)
    {
        std::vector<std::string> texts;
        for (long nRow = 0; nRow < m_pDlg->Grid().GetRowCount(); ++nRow)
            texts.push_back(m_pDlg->Grid().QuickGetText(nCol, nRow));
        return texts;
    }

    std::filesystem::path m_folder;
    std::string m_strPath;
    CScriptedQuotes m_quotes;
    double m_dVersion = 0;
    int m_nVersionRequests = 0;
    // 2026-03-05 14:07:45 in New York.
    std::time_t m_now = 1772737665;
    CRecordingShellHost m_shell;
    CRecordingMessageBoxSink m_boxes;
    std::unique_ptr<CBlotterDlg> m_pDlg;
    static inline int s_nCase = 0;
};
