// The version check at start and the two ways into the About box, neither of which waits
// for the maker's site on the interface thread.
#include <QElapsedTimer>
#include <QTimer>

#include "app/AboutDlg.h"
#include "quotes/QuoteServers.h"
#include "tests/app/WindowFixture.h"

using namespace BlotterIds;

namespace {

struct SAboutSeen
{
    bool bShown = false;
    std::string strVersion;
    std::string strStatus;
};

// How long a test waits for an About box's status line that is to stay empty.
constexpr int kEmptyStatusWaitMs = 300;

// Opens the About box through nCommand and reads it while it is up: at once (bAtOnce), or
// once its status line has been filled in (or has stayed empty for nWaitMs).
SAboutSeen RunAbout(CBlotterDlg& dlg, unsigned nMessage, unsigned nCommand, bool bAtOnce = false,
                    int nWaitMs = kEmptyStatusWaitMs)
{
    SAboutSeen seen;
    QElapsedTimer shown;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* pWidget : QApplication::topLevelWidgets()) {
            auto* pAbout = dynamic_cast<CAboutDlg*>(pWidget);
            if (pAbout == nullptr || !pAbout->isVisible())
                continue;
            if (!shown.isValid())
                shown.start();
            seen.bShown = true;
            seen.strVersion = pAbout->GetDlgItemText(kVersionLine);
            seen.strStatus = pAbout->GetDlgItemText(kVersionStatus);
            if (bAtOnce || !seen.strStatus.empty() || shown.elapsed() > nWaitMs) {
                poll.stop();
                pAbout->SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            }
        }
    });
    poll.start(5);
    if (nMessage == WM_COMMAND)
        dlg.SendMessage(WM_COMMAND, MAKEWPARAM(nCommand, BN_CLICKED), 0);
    else
        dlg.SendMessage(WM_SYSCOMMAND, nCommand, 0);
    return seen;
}

} // namespace

TEST_F(CWindowTest, TheCurrentVersionAsksNothing)
{
    m_dVersion = 1.85;
    WritePortfolio(MakePortfolio({}));
    CBlotterDlg& dlg = Open();
    EXPECT_EQ(m_nVersionRequests, 1);
    EXPECT_TRUE(m_boxes.Boxes().empty());
    const SAboutSeen seen = RunAbout(dlg, WM_COMMAND, kCmdAbout);
    EXPECT_TRUE(seen.bShown);
    EXPECT_EQ(seen.strVersion, "Brackwel Tallyfern, Version 1.85");
    EXPECT_EQ(seen.strStatus, "This is the current version of Tallyfern.");
}

TEST_F(CWindowTest, NoAnswerAsksNothingAndLeavesTheStatusEmpty)
{
    m_dVersion = 0;
    CBlotterDlg& dlg = Open();
    EXPECT_EQ(m_nVersionRequests, 1);
    EXPECT_TRUE(m_boxes.Boxes().empty());
    const SAboutSeen seen = RunAbout(dlg, WM_COMMAND, kCmdAbout);
    EXPECT_EQ(seen.strVersion, "Brackwel Tallyfern, Version 1.85");
    EXPECT_EQ(seen.strStatus, "");
}

TEST_F(CWindowTest, AnotherVersionAsksOnceAndNoSwitchesTheReminderOffForGood)
{
    setenv(QuoteServerVariable(QuoteServerRole::MakerSite), "www.brackwel.test", 1);
    m_dVersion = 2;
    WritePortfolio(MakePortfolio({}));
    m_boxes.QueueAnswer(IDNO);
    {
        CBlotterDlg& dlg = Open();
        ASSERT_EQ(m_boxes.Boxes().size(), 1u);
        const SMessageBoxRequest& box = m_boxes.Boxes()[0];
        EXPECT_EQ(box.strText, "This version is obsolete! Current version of Tallyfern is 2.00. "
                               "Click No to disable this message in the future.");
        EXPECT_EQ(box.strCaption, "Please visit " + GetMakerHost() + " for update information.");
        EXPECT_NE(box.strCaption.find("www.brackwel.test"), std::string::npos);
        EXPECT_EQ(box.nButtons, MB_YESNO);
        EXPECT_EQ(box.nIcon, MB_ICONINFORMATION);
        EXPECT_EQ(dlg.Document().m_bCheckVersion, 0);
        dlg.CloseWindow();
    }
    unsetenv(QuoteServerVariable(QuoteServerRole::MakerSite));
    EXPECT_EQ(ReadBack().m_bCheckVersion, 0);

    // The next start asks the site nothing; the About box still asks and reports.
    m_boxes.Clear();
    m_nVersionRequests = 0;
    CBlotterDlg& dlg = Open();
    EXPECT_EQ(m_nVersionRequests, 0);
    EXPECT_TRUE(m_boxes.Boxes().empty());
    const SAboutSeen seen = RunAbout(dlg, WM_COMMAND, kCmdAbout);
    EXPECT_EQ(m_nVersionRequests, 1);
    EXPECT_EQ(seen.strStatus, "Current version of Tallyfern is 2.00.");

    // The system menu's About box asks nothing and shows no version lines.
    const SAboutSeen fromMenu = RunAbout(dlg, WM_SYSCOMMAND, kSysAbout);
    EXPECT_TRUE(fromMenu.bShown);
    EXPECT_EQ(m_nVersionRequests, 1);
    EXPECT_EQ(fromMenu.strVersion, "");
    EXPECT_EQ(fromMenu.strStatus, "");
}

TEST_F(CWindowTest, AnOlderVersionCountsAsObsoleteAndYesKeepsTheReminder)
{
    m_dVersion = 1.5;
    m_boxes.QueueAnswer(IDYES);
    CBlotterDlg& dlg = Open();
    ASSERT_EQ(m_boxes.Boxes().size(), 1u);
    EXPECT_NE(m_boxes.Boxes()[0].strText.find("is 1.50."), std::string::npos);
    EXPECT_EQ(dlg.Document().m_bCheckVersion, 1);
    // The system menu carries the About entry after a separator.
    CMenu* pSysMenu = dlg.GetSystemMenu();
    ASSERT_NE(pSysMenu, nullptr);
    const int nItems = pSysMenu->GetMenuItemCount();
    ASSERT_GE(nItems, 2);
    EXPECT_EQ(pSysMenu->GetMenuItemID(nItems - 1), kSysAbout);
    EXPECT_EQ(pSysMenu->GetMenuString(nItems - 1), "&About Tallyfern...");
    EXPECT_EQ(pSysMenu->GetMenuItemID(nItems - 2), 0u);
}

TEST_F(CWindowTest, ASlowVersionServerHoldsUpNeitherTheWindowNorTheAboutBox)
{
    m_dVersion = 2;
    WritePortfolio(MakePortfolio({}));
    SBlotterServices services = Services();
    services.fetchVersion = [this](double& dVersion, const SQuoteBatchOptions& options) {
        ++m_nVersionRequests;
        for (int i = 0; i < 100 && !options.pCancel->IsCancelled(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        dVersion = m_dVersion;
    };
    QElapsedTimer opening;
    opening.start();
    m_pDlg = std::make_unique<CBlotterDlg>(services);
    ASSERT_TRUE(m_pDlg->Create());
    EXPECT_LT(opening.elapsed(), 500);
    EXPECT_TRUE(m_boxes.Boxes().empty());
    // The question comes once the answer is there.
    m_boxes.QueueAnswer(IDYES);
    ASSERT_TRUE(PumpUntil([&] { return !m_boxes.Boxes().empty(); }, 5000));
    EXPECT_NE(m_boxes.Boxes()[0].strText.find("is 2.00."), std::string::npos);

    // The About box is up at once with its status line empty, and filled in later.
    const SAboutSeen atOnce = RunAbout(*m_pDlg, WM_COMMAND, kCmdAbout, true);
    EXPECT_TRUE(atOnce.bShown);
    EXPECT_EQ(atOnce.strVersion, "Brackwel Tallyfern, Version 1.85");
    EXPECT_EQ(atOnce.strStatus, "");
    const SAboutSeen later = RunAbout(*m_pDlg, WM_COMMAND, kCmdAbout, false, 5000);
    EXPECT_EQ(later.strStatus, "Current version of Tallyfern is 2.00.");
}
