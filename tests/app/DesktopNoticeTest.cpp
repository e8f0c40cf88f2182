// Pager alerts on the desktop: a mailed alert also shows as a notification from the tray
// icon (its subject over its line), and every mail failure as one as well as its box.
#include "tests/app/WindowFixture.h"

using namespace BlotterIds;

namespace {

class CScriptedMailer : public CAlertMailer
{
  public:
    explicit CScriptedMailer(bool bConnects) : m_bConnects(bConnects) {}
    bool Connect() override { return m_bConnects; }
    bool SendMail(CMailMessage& message) override
    {
        m_strSubject = message.m_sSubject;
        return m_bConnects;
    }
    bool Disconnect() override { return true; }
    std::string GetLastErrorText() const override
    {
        return m_bConnects ? "" : "Unable to connect to server";
    }
    std::string m_strSubject;

  private:
    bool m_bConnects;
};

CBlotterSpace AlertingPortfolio()
{
    // 100 shares at 12.5 with a change of 0.75 moved 6.3830 percent since the close.
    CBlotterSpace doc = MakePortfolio({MakeBuy(1, "XYZ", 100, 10, "Personal", 12.5, 0.75),
                                       MakeBuy(2, "CALM", 10, 10, "Personal", 10, 0)});
    doc.m_bPagerAlerts = 1;
    doc.m_nAlertPercent = 5;
    doc.m_strSmtpServer = "mail.example.org";
    doc.m_strMailFrom = "me@example.org";
    doc.m_strPagerAddress = "pager@example.org";
    return doc;
}

} // namespace

TEST_F(CWindowTest, AMailedAlertShowsOnTheDesktopWithItsSubjectAndLine)
{
    WritePortfolio(AlertingPortfolio());
    m_quotes.answers["XYZ"] = {0, 12.5, 0.75};
    m_quotes.answers["CALM"] = {0, 10, 0};
    std::vector<std::string> subjects;
    SBlotterServices services = Services();
    services.mailers = [&subjects](const std::string&) {
        struct CRecording : CScriptedMailer
        {
            explicit CRecording(std::vector<std::string>& log) : CScriptedMailer(true), m_log(log)
            {
            }
            bool SendMail(CMailMessage& message) override
            {
                m_log.push_back(message.m_sSubject);
                return true;
            }
            std::vector<std::string>& m_log;
        };
        return std::make_unique<CRecording>(subjects);
    };
    CBlotterDlg& dlg = Open(services);

    ASSERT_EQ(subjects.size(), 1u);
    ASSERT_EQ(m_shell.Balloons().size(), 1u);
    const auto& notice = m_shell.Balloons()[0];
    EXPECT_EQ(notice.pOwner, &dlg);
    EXPECT_EQ(notice.uID, kTrayIconId);
    EXPECT_EQ(notice.strTitle, subjects[0]);
    EXPECT_EQ(notice.strTitle, "Tallyfern Alert! XYZ position changed by 75.00 (6.3830%).");
    EXPECT_EQ(notice.strText, "XYZ position changed by 75.00 (6.3830%).");
    EXPECT_TRUE(m_boxes.Boxes().empty());

    // Every refresh that mails the alert again shows it again, once the mail has gone out.
    dlg.Refresh(false);
    Settle();
    EXPECT_EQ(m_shell.Balloons().size(), 2u);
}

TEST_F(CWindowTest, AMailFailureShowsOnTheDesktopAsWellAsInItsBox)
{
    WritePortfolio(AlertingPortfolio());
    m_quotes.answers["XYZ"] = {0, 12.5, 0.75};
    m_quotes.answers["CALM"] = {0, 10, 0};
    SBlotterServices services = Services();
    services.mailers = [](const std::string&) { return std::make_unique<CScriptedMailer>(false); };
    // Each notification is up before its box waits for the user.
    std::vector<std::size_t> noticesAtBox;
    m_boxes.SetWhileShown([this, &noticesAtBox](const SMessageBoxRequest&) {
        noticesAtBox.push_back(m_shell.Balloons().size());
    });
    Open(services);

    ASSERT_EQ(m_boxes.Boxes().size(), 2u);
    ASSERT_EQ(m_shell.Balloons().size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(m_shell.Balloons()[i].strTitle, "Pager alert not mailed");
        EXPECT_EQ(m_shell.Balloons()[i].strText, m_boxes.Boxes()[i].strText);
    }
    EXPECT_EQ(m_shell.Balloons()[0].strText, "Unable to connect to server");
    EXPECT_EQ(noticesAtBox, (std::vector<std::size_t>{1, 2}));
}

TEST_F(CWindowTest, NoNoticeWithoutTheTrayIconOrWithoutAnAlert)
{
    // Below the threshold nothing is mailed and nothing shows.
    CBlotterSpace doc = AlertingPortfolio();
    doc.m_nAlertPercent = 50;
    WritePortfolio(doc);
    m_quotes.answers["XYZ"] = {0, 12.5, 0.75};
    m_quotes.answers["CALM"] = {0, 10, 0};
    SBlotterServices services = Services();
    services.mailers = [](const std::string&) { return std::make_unique<CScriptedMailer>(true); };
    CBlotterDlg& dlg = Open(services);
    EXPECT_TRUE(m_shell.Balloons().empty());
    // The icon taken down (the window closed), a notice asks the shell nothing.
    dlg.CloseWindow();
    m_shell.ClearCalls();
    EXPECT_FALSE(dlg.TrayIcon().ShowBalloon("title", "text"));
    EXPECT_TRUE(m_shell.Balloons().empty());
    EXPECT_TRUE(m_shell.Calls().empty());
}
