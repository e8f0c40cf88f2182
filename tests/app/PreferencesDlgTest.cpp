// The preferences and pager-preferences dialogs driven by control id, and the refresh timer
// rule the window applies after the Preferences dialog.
#include "app/PreferencesDlg.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include <QTest>

#include "app/AppResources.h"
#include "app/PagerPrefsDlg.h"
#include "engine/RefreshTimer.h"
#include "model/BlotterSpace.h"
#include "tests/app/dialogs/DialogTestSupport.h"
#include "tests/support/msgboxsink/RecordingMessageBoxSink.h"

namespace {

using P = CPreferencesDlg;
using G = CPagerPrefsDlg;

} // namespace

TEST(PreferencesDlg, ShowsTheSettingsAndFallsBackToUnitedStates)
{
    DialogsTestApp();
    CBlotterSpace doc;
    doc.m_bAutoRefresh = 1;
    doc.m_nRefreshMinutes = 15;
    doc.m_strBaseCountry = "Japan";
    doc.m_bDeductBrokerage = 1;
    doc.m_dExternalYtdGains = -1234.5;

    CPreferencesDlg dlg;
    dlg.LoadFrom(doc);
    ASSERT_TRUE(dlg.Create());
    EXPECT_EQ(dlg.GetDlgItemText(P::kIdInterval), "15");
    EXPECT_EQ(dlg.IsDlgButtonChecked(P::kIdAutoRefresh), BST_CHECKED);
    EXPECT_EQ(dlg.IsDlgButtonChecked(P::kIdDeductBrokerage), BST_CHECKED);
    EXPECT_EQ(dlg.IsDlgButtonChecked(P::kIdUseBid), BST_UNCHECKED);
    EXPECT_EQ(dlg.GetDlgItemText(P::kIdExternalGains), "-1234.5");
    EXPECT_EQ(dlg.ComboBox(P::kIdBaseCountry).GetWindowText(), "United States");

    // Eleven entries, sorted, the empty one first.
    const CComboBox box = dlg.ComboBox(P::kIdBaseCountry);
    ASSERT_EQ(box.GetCount(), 11);
    EXPECT_EQ(box.GetLBText(0), "");
    EXPECT_EQ(box.GetLBText(1), "Australia");
    EXPECT_EQ(box.GetLBText(10), "United States");

    // OK stores the shown country; the rest as typed.
    ASSERT_EQ(RunModal(dlg,
                       [&dlg] {
                           dlg.SetDlgItemText(P::kIdInterval, "0");
                           Click(dlg, P::kIdUseBid);
                           Click(dlg, IDOK);
                       }),
              IDOK);
    dlg.StoreTo(doc);
    EXPECT_EQ(doc.m_strBaseCountry, "United States");
    EXPECT_EQ(doc.m_nRefreshMinutes, 0);
    EXPECT_EQ(doc.m_bUseBidForOptions, 1);
    EXPECT_EQ(doc.m_dExternalYtdGains, -1234.5);

    // A country of the list is selected as stored, the empty one included.
    for (const std::string strCountry : {"Norway", ""}) {
        CPreferencesDlg other;
        other.m_strBaseCountry = strCountry;
        ASSERT_TRUE(other.Create());
        EXPECT_EQ(other.ComboBox(P::kIdBaseCountry).GetWindowText(), strCountry);
    }
}

TEST(PreferencesDlg, RefusesBadFieldsInExchangeOrderAndStaysOpen)
{
    DialogsTestApp();
    CRecordingMessageBoxSink sink;
    CPreferencesDlg dlg;
    dlg.m_dExternalYtdGains = 10;
    std::vector<bool> openAfter;
    const int nResult = RunModal(dlg, [&] {
        dlg.SetDlgItemText(P::kIdInterval, "");
        dlg.SetDlgItemText(P::kIdExternalGains, "");
        Click(dlg, IDOK);
        openAfter.push_back(!dlg.IsEnded());
        dlg.SetDlgItemText(P::kIdInterval, "5");
        Click(dlg, IDOK);
        openAfter.push_back(!dlg.IsEnded());
        dlg.SetDlgItemText(P::kIdExternalGains, "2.5");
        Click(dlg, IDOK);
    });
    EXPECT_EQ(nResult, IDOK);
    EXPECT_EQ(openAfter, (std::vector<bool>{true, true}));
    ASSERT_EQ(sink.Boxes().size(), 2u);
    EXPECT_EQ(sink.Boxes()[0].strText, "Please enter an integer.");
    EXPECT_EQ(sink.Boxes()[1].strText, "Please enter a number.");
    EXPECT_EQ(sink.Boxes()[1].nIcon, MB_ICONEXCLAMATION);
    EXPECT_EQ(dlg.m_nRefreshMinutes, 5);
    EXPECT_EQ(dlg.m_dExternalYtdGains, 2.5);
}

TEST(PreferencesDlg, ExternalGainsTakeASignAndADecimalPointFromTheKeyboard)
{
    DialogsTestApp();
    CPreferencesDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.show();
    QWidget* pGains = dlg.GetDlgItem(P::kIdExternalGains);
    dlg.SetDlgItemText(P::kIdExternalGains, "");
    QTest::keyClicks(pGains, "-12.75");
    EXPECT_EQ(dlg.GetDlgItemText(P::kIdExternalGains), "-12.75");
    // The interval takes digits only.
    QWidget* pInterval = dlg.GetDlgItem(P::kIdInterval);
    dlg.SetDlgItemText(P::kIdInterval, "");
    QTest::keyClicks(pInterval, "-3x0");
    EXPECT_EQ(dlg.GetDlgItemText(P::kIdInterval), "30");
}

TEST(RefreshTimer, IntervalsInMillisecondsWithinWhatATimerHolds)
{
    EXPECT_EQ(RefreshIntervalMs(10), 600000u);
    EXPECT_EQ(RefreshIntervalMs(1), 60000u);
    EXPECT_EQ(RefreshIntervalMs(0), 600000u);
    EXPECT_EQ(RefreshIntervalMs(-5), 600000u);
    EXPECT_EQ(RefreshIntervalMs(35791), 2147460000u);
    EXPECT_EQ(RefreshIntervalMs(35792), 2147483647u);
    EXPECT_EQ(RefreshIntervalMs(2147483647), 2147483647u);
    EXPECT_EQ(RefreshIntervalMs(-2147483647 - 1), 600000u);
}

TEST(RefreshTimer, StartsRestartsAndStopsTimerOne)
{
    DialogsTestApp();
    CPreferencesDlg wnd; // any window of the framework will do
    ASSERT_TRUE(wnd.Create());
    std::int32_t bRunning = 0;

    // Off and not running: nothing happens.
    ApplyRefreshTimer(wnd, 0, 5, bRunning);
    EXPECT_EQ(bRunning, 0);
    EXPECT_EQ(wnd.GetTimerInterval(BlotterIds::kRefreshTimer), 0u);

    // On with an interval of 0: ten minutes.
    ApplyRefreshTimer(wnd, 1, 0, bRunning);
    EXPECT_EQ(bRunning, 1);
    EXPECT_EQ(wnd.GetTimerInterval(BlotterIds::kRefreshTimer), 600000u);

    // A new interval while running restarts the timer with it.
    ApplyRefreshTimer(wnd, 1, 3, bRunning);
    EXPECT_EQ(bRunning, 1);
    EXPECT_EQ(wnd.GetTimerInterval(BlotterIds::kRefreshTimer), 180000u);

    // Off while running: stopped at once.
    ApplyRefreshTimer(wnd, 0, 3, bRunning);
    EXPECT_EQ(bRunning, 0);
    EXPECT_EQ(wnd.GetTimerInterval(BlotterIds::kRefreshTimer), 0u);
    EXPECT_FALSE(wnd.KillTimer(BlotterIds::kRefreshTimer));
}

TEST(PagerPrefsDlg, PercentageBoundsAndTextsAsTyped)
{
    DialogsTestApp();
    CRecordingMessageBoxSink sink;
    CBlotterSpace doc;
    doc.m_bPagerAlerts = 1;
    doc.m_strMailFrom = "me@example.org";
    doc.m_strSmtpServer = "mail.example.org";
    doc.m_strPagerAddress = "pager@example.org";
    doc.m_nAlertPercent = 5;

    CPagerPrefsDlg dlg;
    dlg.LoadFrom(doc);
    ASSERT_TRUE(dlg.Create());
    EXPECT_EQ(dlg.IsDlgButtonChecked(G::kIdEnable), BST_CHECKED);
    EXPECT_EQ(dlg.GetDlgItemText(G::kIdMailFrom), "me@example.org");
    EXPECT_EQ(dlg.GetDlgItemText(G::kIdAlertPercent), "5");
    EXPECT_EQ(dlg.GetDlgItemText(G::kIdSmtpServer), "mail.example.org");
    EXPECT_EQ(dlg.GetDlgItemText(G::kIdPagerAddress), "pager@example.org");

    std::vector<bool> openAfter;
    const int nResult = RunModal(dlg, [&] {
        dlg.SetDlgItemText(G::kIdMailFrom, " new from ");
        for (const char* pszText : {"150", "abc", ""}) {
            dlg.SetDlgItemText(G::kIdAlertPercent, pszText);
            Click(dlg, IDOK);
            openAfter.push_back(!dlg.IsEnded());
        }
        dlg.SetDlgItemText(G::kIdAlertPercent, "100");
        dlg.SetDlgItemText(G::kIdSmtpServer, "");
        Click(dlg, G::kIdEnable);
        Click(dlg, IDOK);
    });
    ASSERT_EQ(nResult, IDOK);
    EXPECT_EQ(openAfter, (std::vector<bool>{true, true, true}));
    ASSERT_EQ(sink.Boxes().size(), 3u);
    EXPECT_EQ(sink.Boxes()[0].strText, "Please enter an integer between 0 and 100.");
    EXPECT_EQ(sink.Boxes()[1].strText, "Please enter a positive integer.");
    EXPECT_EQ(sink.Boxes()[2].strText, "Please enter a positive integer.");
    // The document is untouched until the window copies the members back after OK.
    EXPECT_EQ(doc.m_nAlertPercent, 5);

    dlg.StoreTo(doc);
    EXPECT_EQ(doc.m_bPagerAlerts, 0);
    EXPECT_EQ(doc.m_strMailFrom, " new from ");
    EXPECT_EQ(doc.m_nAlertPercent, 100);
    EXPECT_EQ(doc.m_strSmtpServer, "");
    EXPECT_EQ(doc.m_strPagerAddress, "pager@example.org");
}

TEST(PagerPrefsDlg, CancelKeepsTheMembers)
{
    DialogsTestApp();
    CPagerPrefsDlg dlg;
    dlg.m_nAlertPercent = 7;
    dlg.m_strSmtpServer = "smtp";
    EXPECT_EQ(RunModal(dlg,
                       [&dlg] {
                           dlg.SetDlgItemText(G::kIdAlertPercent, "9");
                           dlg.SetDlgItemText(G::kIdSmtpServer, "other");
                           Click(dlg, IDCANCEL);
                       }),
              IDCANCEL);
    EXPECT_EQ(dlg.m_nAlertPercent, 7u);
    EXPECT_EQ(dlg.m_strSmtpServer, "smtp");
}
