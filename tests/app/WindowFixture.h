// What the main-window tests share: the offscreen application, a scratch folder holding
// info.kgw, portfolio building helpers, scripted quotes and version answers, and the
// recording message-box sink and shell host.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
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
#include "platform/framework/WinApp.h"
#include "tests/support/msgboxsink/RecordingMessageBoxSink.h"
#include "tests/support/tempdir/TempDir.h"
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

// A quote source that answers from a table and records every request. It runs on the
// window's worker thread, one quote after another, each after nDelayMs (a stop ends the wait).
struct CScriptedQuotes
{
    struct SAnswer
    {
        int nResult = 0; // 0: the price; 1: no password; 2: the connection failed
        double dPrice = 0;
        double dChange = 0;
    };
    std::map<std::string, SAnswer> answers;
    // Read them once the window is no longer busy, or under the mutex.
    std::vector<std::string> requests;
    std::mutex mutex;
    std::atomic<int> nDelayMs{0};
    std::atomic<int> nFetches{0};

    static SQuoteReply Answer(const SQuoteRequest& request, const SAnswer* pAnswer)
    {
        if (pAnswer == nullptr)
            return FailedQuote(request, EQuoteFailure::kNoPrice);
        if (pAnswer->nResult == 1)
            return FailedQuote(request, EQuoteFailure::kNoPassword);
        if (pAnswer->nResult != 0)
            return FailedQuote(request, EQuoteFailure::kNetwork);
        SQuoteReply reply;
        reply.request = request;
        reply.dPrice = pAnswer->dPrice;
        reply.dChange = pAnswer->dChange;
        reply.arrived = std::time(nullptr);
        return reply;
    }

    QuoteBatchFunction Function()
    {
        return [this](const std::vector<SQuoteRequest>& batch, const SQuoteBatchOptions& options) {
            ++nFetches;
            std::vector<SQuoteReply> replies;
            for (std::size_t i = 0; i < batch.size(); ++i) {
                const auto stopped = [&] {
                    return options.pCancel && options.pCancel->IsCancelled();
                };
                for (int nWaited = 0; nWaited < nDelayMs && !stopped(); nWaited += 5)
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                SQuoteReply reply;
                if (stopped()) {
                    reply = FailedQuote(batch[i], EQuoteFailure::kStopped);
                } else {
                    std::lock_guard<std::mutex> lock(mutex);
                    requests.push_back(batch[i].strSymbol);
                    const auto it = answers.find(batch[i].strSymbol);
                    reply = Answer(batch[i], it == answers.end() ? nullptr : &it->second);
                    if (reply.Ok() && options.clock)
                        reply.arrived = options.clock();
                }
                if (options.onReply)
                    options.onReply(i, reply);
                replies.push_back(reply);
            }
            return replies;
        };
    }
    std::size_t RequestCount()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return requests.size();
    }
};

// An application object that only routes the termination signals to its main window.
struct CSignalRoutingApp : CWinApp
{
    bool InitInstance() override { return true; }
};

class CWindowTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        AppForTests();
        m_strPath = (m_folder / "info.kgw").string();
    }
    void TearDown() override
    {
        // Mail still going out would reach a mailer of a test that has ended.
        Settle();
        m_pDlg.reset();
    }

    void WritePortfolio(CBlotterSpace doc) { ASSERT_TRUE(WritePortfolioFile(m_strPath, doc).bOk); }
    // nCount positions S0, S1, ... stored at 10 without change, each answered by answer.
    void WriteManyPositions(int nCount, CScriptedQuotes::SAnswer answer)
    {
        std::vector<TradeRecord> trades;
        for (int i = 0; i < nCount; ++i) {
            const std::string strSymbol = "S" + std::to_string(i);
            trades.push_back(MakeBuy(i + 1, strSymbol, 10, 10, "Personal", 10, 0));
            m_quotes.answers[strSymbol] = answer;
        }
        WritePortfolio(MakePortfolio(trades));
    }
    CBlotterSpace ReadBack()
    {
        CBlotterSpace doc;
        EXPECT_EQ(ReadPortfolioFile(m_strPath, doc).status, PortfolioReadStatus::Read);
        return doc;
    }

    SBlotterServices Services()
    {
        SBlotterServices services;
        services.fetchQuotes = m_quotes.Function();
        services.fetchVersion = [this](double& dVersion, const SQuoteBatchOptions&) {
            ++m_nVersionRequests;
            dVersion = m_dVersion;
        };
        services.clock = [this] { return m_now; };
        services.strPortfolioPath = m_strPath;
        return services;
    }
    // Makes the window and runs its creation and initialisation without showing it, and
    // lets the first refresh and the version question end.
    CBlotterDlg& Open(SBlotterServices services)
    {
        m_pDlg = std::make_unique<CBlotterDlg>(std::move(services));
        EXPECT_TRUE(m_pDlg->Create());
        Settle();
        return *m_pDlg;
    }
    CBlotterDlg& Open() { return Open(Services()); }
    // Processes events until the window has nothing under way (at most nMs).
    bool Settle(int nMs = 10000)
    {
        return PumpUntil([this] { return !m_pDlg || !m_pDlg->IsBusy(); }, nMs);
    }

    std::vector<std::string> RowTexts(int nCol)
    {
        std::vector<std::string> texts;
        for (long nRow = 0; nRow < m_pDlg->Grid().GetRowCount(); ++nRow)
            texts.push_back(m_pDlg->Grid().QuickGetText(nCol, nRow));
        return texts;
    }

    tf::test::CTempDir m_dir{"tf_app"};
    std::filesystem::path m_folder = m_dir.Path();
    std::string m_strPath;
    CScriptedQuotes m_quotes;
    std::atomic<double> m_dVersion{0};
    std::atomic<int> m_nVersionRequests{0};
    // 2026-03-05 14:07:45 in New York.
    std::time_t m_now = 1772737665;
    CRecordingShellHost m_shell;
    CRecordingMessageBoxSink m_boxes;
    std::unique_ptr<CBlotterDlg> m_pDlg;
};
