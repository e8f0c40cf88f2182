// A worked example of a dialog on the framework: a template with a few fields, data exchange
// with validation, a rule that refuses with a message box, and the modal loop driven the way
// a user drives it.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "platform/framework/DataExchange.h"
#include "platform/framework/Dialog.h"
#include "tests/platform/framework/TestApp.h"
#include "tests/support/locale/GermanLocale.h"
#include "tests/support/msgboxsink/RecordingMessageBoxSink.h"

namespace {

constexpr int IDC_NAME = 1020;
constexpr int IDC_PERCENT = 1033;
constexpr int IDC_INTERVAL = 1010;
constexpr int IDC_GAINS = 1011;
constexpr int IDC_ENABLE = 1029;
constexpr int IDC_COUNTRY = 1021;
constexpr int IDC_ADD = 1017;
// The example's own limit on names.
constexpr std::size_t kMaxNames = 2;

SDialogTemplate ExampleTemplate()
{
    SDialogTemplate t;
    t.nId = 900;
    t.strCaption = "Example preferences";
    t.cx = 200;
    t.cy = 120;
    t.items = {
        {IDC_STATIC, EControlKind::GroupBox, " Alert ", 3, 2, 194, 96, kStyleNone, {}},
        {IDC_STATIC, EControlKind::Label, "Ca&tegory:", 8, 12, 40, 8, kStyleRight, {}},
        {IDC_NAME, EControlKind::Edit, "", 50, 10, 60, 12, kStyleNone, {}},
        {IDC_ADD, EControlKind::PushButton, "&Add", 120, 10, 40, 14, kStyleNone, {}},
        {IDC_ENABLE, EControlKind::CheckBox, "&Enable:", 8, 28, 60, 10, kStyleLeftText, {}},
        {IDC_STATIC, EControlKind::Label, "&Notify at (%):", 8, 44, 40, 8, kStyleRight, {}},
        {IDC_PERCENT, EControlKind::Edit, "", 50, 42, 30, 12, kStyleRight | kStyleNumber, {}},
        {IDC_STATIC, EControlKind::Label, "&every", 8, 60, 40, 8, kStyleRight, {}},
        {IDC_INTERVAL, EControlKind::Edit, "", 50, 58, 30, 12, kStyleRight, {}},
        {IDC_STATIC, EControlKind::Label, "E&xternal gains:", 8, 76, 40, 8, kStyleRight, {}},
        {IDC_GAINS, EControlKind::Edit, "", 50, 74, 60, 12, kStyleRight, {}},
        {IDC_COUNTRY,
         EControlKind::DropDownList,
         "",
         120,
         74,
         70,
         60,
         kStyleSorted,
         {"United States", "Canada", "Switzerland", ""}},
        {IDOK, EControlKind::PushButton, "&OK", 40, 102, 50, 14, kStyleNone, {}},
        {IDCANCEL, EControlKind::PushButton, "&Cancel", 110, 102, 50, 14, kStyleNone, {}},
    };
    return t;
}

class CExampleDlg : public CDialog
{
  public:
    explicit CExampleDlg(CWnd* pParent = nullptr) : CDialog(ExampleTemplate(), pParent)
    {
        MapCommand(IDC_ADD, [this] { OnAdd(); });
    }

    std::string m_strName;
    int m_bEnable = 0;
    unsigned m_nPercent = 5;
    int m_nInterval = 10;
    double m_dGains = 0;
    std::string m_strCountry = "United States";
    std::vector<std::string> m_names;

  protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Text(pDX, IDC_NAME, m_strName);
        DDV_MaxChars(pDX, m_strName, 15);
        DDX_Check(pDX, IDC_ENABLE, m_bEnable);
        DDX_Text(pDX, IDC_PERCENT, m_nPercent);
        DDV_MinMaxUInt(pDX, m_nPercent, 0, 100);
        DDX_Text(pDX, IDC_INTERVAL, m_nInterval);
        DDX_Text(pDX, IDC_GAINS, m_dGains);
        DDX_CBString(pDX, IDC_COUNTRY, m_strCountry);
    }

  private:
    void OnAdd()
    {
        if (!UpdateData(true))
            return;
        if (m_names.size() >= kMaxNames) {
            TfMessageBox("Cannot add more than 2 names.", MB_OK | MB_ICONSTOP, "Example Limit",
                         this);
            return;
        }
        m_names.push_back(m_strName);
    }
};

} // namespace

TEST(ExampleDialog, WritesMembersIntoTheFieldsAndReadsThemBack)
{
    TestApp();
    CExampleDlg dlg;
    dlg.m_strName = "Business";
    dlg.m_bEnable = 1;
    dlg.m_nPercent = 7;
    dlg.m_dGains = 1234.5678;
    dlg.m_strCountry = "swi"; // a prefix selects, ignoring case
    ASSERT_TRUE(dlg.Create());

    EXPECT_EQ(dlg.GetDlgItemText(IDC_NAME), "Business");
    EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_ENABLE), BST_CHECKED);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PERCENT), "7");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_INTERVAL), "10");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_GAINS), "1234.5678");
    EXPECT_EQ(dlg.ComboBox(IDC_COUNTRY).GetWindowText(), "Switzerland");
    // The character limit also stops typing.
    EXPECT_EQ(dlg.GetDlgItemAs<QLineEdit>(IDC_NAME)->maxLength(), 15);

    dlg.SetDlgItemText(IDC_NAME, "Stock Plan");
    dlg.SetDlgItemText(IDC_PERCENT, " 100 ");
    dlg.SetDlgItemText(IDC_INTERVAL, "-3");
    dlg.SetDlgItemText(IDC_GAINS, "-1.5e3");
    dlg.ComboBox(IDC_COUNTRY).SelectString(-1, "Canada");
    dlg.CheckDlgButton(IDC_ENABLE, BST_UNCHECKED);
    ASSERT_TRUE(dlg.UpdateData(true));
    EXPECT_EQ(dlg.m_strName, "Stock Plan");
    EXPECT_EQ(dlg.m_bEnable, 0);
    EXPECT_EQ(dlg.m_nPercent, 100u);
    EXPECT_EQ(dlg.m_nInterval, -3);
    EXPECT_DOUBLE_EQ(dlg.m_dGains, -1500.0);
    EXPECT_EQ(dlg.m_strCountry, "Canada");
}

TEST(ExampleDialog, RefusesTheFirstBadFieldWithTheFrameworksMessage)
{
    TestApp();
    struct SCase
    {
        int nField;
        std::string strText;
        std::string strMessage;
    };
    const std::vector<SCase> cases = {
        {IDC_NAME, "A name of sixteen", "Please enter no more than 15 characters."},
        {IDC_PERCENT, "150", "Please enter an integer between 0 and 100."},
        {IDC_PERCENT, "-5", "Please enter a positive integer."},
        {IDC_PERCENT, "", "Please enter a positive integer."},
        {IDC_PERCENT, "4294967296", "Please enter a positive integer."},
        {IDC_INTERVAL, "12abc", "Please enter an integer."},
        {IDC_INTERVAL, "2147483648", "Please enter an integer."},
        {IDC_INTERVAL, "1.5", "Please enter an integer."},
        {IDC_GAINS, "", "Please enter a number."},
        {IDC_GAINS, "1,5", "Please enter a number."},
        {IDC_GAINS, "inf", "Please enter a number."},
        {IDC_GAINS, "nan", "Please enter a number."},
        {IDC_GAINS, "0x10", "Please enter a number."},
        {IDC_GAINS, "1e999", "Please enter a number."},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.strText);
        CRecordingMessageBoxSink sink;
        CExampleDlg dlg;
        dlg.m_nInterval = 42;
        ASSERT_TRUE(dlg.Create());
        dlg.show();
        // Bypass the typing limit: a pasted or program-set text can still be too long.
        dlg.GetDlgItemAs<QLineEdit>(IDC_NAME)->setMaxLength(32767);
        dlg.SetDlgItemText(c.nField, c.strText);
        dlg.SetDlgItemText(IDC_INTERVAL, c.nField == IDC_INTERVAL ? c.strText : "7");

        EXPECT_FALSE(dlg.UpdateData(true));
        ASSERT_EQ(sink.Boxes().size(), 1u); // one message: the exchange stopped there
        EXPECT_EQ(sink.Boxes()[0].strText, c.strMessage);
        EXPECT_EQ(sink.Boxes()[0].nIcon, MB_ICONEXCLAMATION);
        EXPECT_EQ(sink.Boxes()[0].strCaption, "Tallyfern");
        EXPECT_EQ(QApplication::focusWidget() == nullptr ? dlg.focusWidget()
                                                         : QApplication::focusWidget(),
                  dlg.GetDlgItem(c.nField));
        // Fields after the refused one were not read.
        if (c.nField == IDC_NAME || c.nField == IDC_PERCENT) {
            EXPECT_EQ(dlg.m_nInterval, 42);
        }
    }
}

TEST(ExampleDialog, NumbersAreTheSameUnderADecimalCommaLocale)
{
    TestApp();
    CGermanNumericLocale german;
    CExampleDlg dlg;
    dlg.m_dGains = 0.1;
    ASSERT_TRUE(dlg.Create());
    EXPECT_EQ(dlg.GetDlgItemText(IDC_GAINS), "0.1");
    dlg.SetDlgItemText(IDC_GAINS, "2.25");
    ASSERT_TRUE(dlg.UpdateData(true));
    EXPECT_DOUBLE_EQ(dlg.m_dGains, 2.25);
    EXPECT_EQ(FormatDouble15(1234567.891), "1234567.891");
    EXPECT_EQ(FormatDouble15(1e20), "1e+20");
    EXPECT_EQ(FormatDouble15(0.1 + 0.2), "0.3");
}

TEST(ExampleDialog, RunsModallyAsAUserDrivesIt)
{
    TestApp();
    CRecordingMessageBoxSink sink;
    CExampleDlg dlg;
    dlg.m_nPercent = 5;

    // What the user does once the dialog is up: add three names (the third is refused),
    // type a bad percentage and press OK (refused, stays open), fix it and press OK.
    std::vector<std::string> steps;
    QTimer::singleShot(0, &dlg, [&] {
        auto* pName = dlg.GetDlgItemAs<QLineEdit>(IDC_NAME);
        pName->clear();
        QTest::keyClicks(pName, "Business");
        QTest::mouseClick(dlg.GetDlgItemAs<QPushButton>(IDC_ADD), Qt::LeftButton);
        QTest::mouseClick(dlg.GetDlgItemAs<QPushButton>(IDC_ADD), Qt::LeftButton);
        QTest::mouseClick(dlg.GetDlgItemAs<QPushButton>(IDC_ADD), Qt::LeftButton);

        auto* pPercent = dlg.GetDlgItemAs<QLineEdit>(IDC_PERCENT);
        pPercent->clear();
        QTest::keyClicks(pPercent, "1x5-0"); // the digits-only field drops the x and the -
        steps.push_back(dlg.GetDlgItemText(IDC_PERCENT));
        QTest::keyClick(pPercent, Qt::Key_Return);
        steps.push_back(dlg.IsEnded() ? "ended" : "open");
        pPercent->clear();
        QTest::keyClicks(pPercent, "15");
        QTest::keyClick(pPercent, Qt::Key_Return);
    });
    // A stuck dialog must not hang the test.
    QTimer::singleShot(5000, &dlg, [&] { dlg.EndDialog(-2); });

    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(steps, (std::vector<std::string>{"150", "open"}));
    EXPECT_EQ(dlg.m_names, (std::vector<std::string>{"Business", "Business"}));
    EXPECT_EQ(dlg.m_nPercent, 15u);
    ASSERT_EQ(sink.Boxes().size(), 2u);
    EXPECT_EQ(sink.Boxes()[0].strText, "Cannot add more than 2 names.");
    EXPECT_EQ(sink.Boxes()[0].strCaption, "Example Limit");
    EXPECT_EQ(sink.Boxes()[0].nIcon, MB_ICONSTOP);
    EXPECT_EQ(sink.Boxes()[1].strText, "Please enter an integer between 0 and 100.");
    EXPECT_FALSE(dlg.isVisible());
}

TEST(ExampleDialog, CancelKeepsTheMembers)
{
    TestApp();
    CExampleDlg dlg;
    dlg.m_strName = "Personal";
    QTimer::singleShot(0, &dlg, [&] {
        dlg.SetDlgItemText(IDC_NAME, "Changed");
        QTest::keyClick(dlg.GetDlgItem(IDC_NAME), Qt::Key_Escape);
    });
    QTimer::singleShot(5000, &dlg, [&] { dlg.EndDialog(-2); });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.m_strName, "Personal");
}
