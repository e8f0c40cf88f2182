#include "platform/framework/Dialog.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "tests/platform/framework/TestApp.h"
#include "tests/support/msgboxsink/RecordingMessageBoxSink.h"
#include "tests/support/trayshell/RecordingShellHost.h"

namespace {

constexpr unsigned kMenuId = 129;

SDialogTemplate WindowTemplate()
{
    SDialogTemplate t;
    t.nId = 102;
    t.strCaption = "Tallyfern Desktop";
    t.cx = 312;
    t.cy = 230;
    t.nMenuId = kMenuId;
    t.bMinimizeBox = true;
    t.items = {
        {1002, EControlKind::Custom, "", 2, 1, 308, 154, kStyleNone, {}},
        {IDC_STATIC, EControlKind::Label, "Category:", 10, 162, 40, 8, kStyleRight, {}},
        {1020, EControlKind::DropDownList, "", 52, 160, 70, 90, kStyleSorted, {}},
        {1005, EControlKind::PushButton, "&Refresh Now", 10, 200, 60, 14, kStyleNone, {}},
        {1011, EControlKind::PushButton, "E&xit", 80, 200, 60, 14, kStyleNone, {}},
        {IDC_STATIC, EControlKind::Label, "Total &Value:", 150, 162, 50, 8, kStyleRight, {}},
        {1008, EControlKind::Edit, "", 202, 160, 60, 12, kStyleRight | kStyleReadOnly, {}},
        {1015, EControlKind::ListBox, "", 150, 180, 60, 40, kStyleSorted | kStyleNotify, {}},
        {1035, EControlKind::RadioButton, "Bu&y:", 220, 180, 30, 10, kStyleLeftText, {}},
        {1036, EControlKind::RadioButton, "Se&ll:", 260, 180, 30, 10, kStyleLeftText, {}},
        {1037, EControlKind::CheckBox, "S&how closed", 220, 195, 60, 10, kStyleNone, {}},
    };
    return t;
}

void RegisterWindowMenu()
{
    RegisterMenuResource(
        kMenuId,
        {SMenuItem::Popup("&File", {SMenuItem::Command("Edit &Trades...", 32774),
                                    SMenuItem::Separator(), SMenuItem::Command("E&xit", IDOK)}),
         SMenuItem::Popup("&Help", {SMenuItem::Command("&About", 32772)})});
}

// A window that records what reaches it.
class CProbeDlg : public CDialog
{
  public:
    CProbeDlg() : CDialog(WindowTemplate()) {}
    std::vector<std::pair<unsigned, unsigned>> m_commands;
    std::vector<unsigned> m_timers;
    std::vector<unsigned> m_sysCommands;
    int m_nCloses = 0;
    bool m_bRefuseCreate = false;

  protected:
    bool OnCreate() override { return !m_bRefuseCreate; }
    bool OnCommand(unsigned nId, unsigned nCode) override
    {
        m_commands.emplace_back(nId, nCode);
        return CDialog::OnCommand(nId, nCode);
    }
    void OnTimer(unsigned nId) override { m_timers.push_back(nId); }
    void OnClose() override { ++m_nCloses; }
    void OnSysCommand(unsigned nId) override
    {
        m_sysCommands.push_back(nId);
        CDialog::OnSysCommand(nId);
    }
};

void PressKey(QWidget* pTarget, int nKey)
{
    QKeyEvent press(QEvent::KeyPress, nKey, Qt::NoModifier);
    QApplication::sendEvent(pTarget, &press);
}

} // namespace

TEST(Dialog, LaysOutTheTemplateInDialogUnitsOfItsFont)
{
    TestApp();
    RegisterWindowMenu();
    CProbeDlg dlg;
    ASSERT_TRUE(dlg.Create());
    const SDialogBaseUnits& units = dlg.BaseUnits();
    ASSERT_GT(units.nBaseX, 0);
    ASSERT_GT(units.nBaseY, units.nBaseX); // characters are taller than wide

    EXPECT_EQ(dlg.GetDlgItem(1008)->geometry(), units.MapDialogRect(202, 160, 60, 12));
    EXPECT_EQ(dlg.GetDlgItem(1002)->geometry(), units.MapDialogRect(2, 1, 308, 154));
    // The client area is the template's size; the menu bar sits above it.
    ASSERT_NE(dlg.GetMenuBar(), nullptr);
    dlg.adjustSize();
    EXPECT_EQ(dlg.width(), units.ToPixelsX(312));
    EXPECT_GE(dlg.height(), units.ToPixelsY(230) + dlg.GetMenuBar()->sizeHint().height() - 1);
    EXPECT_EQ(dlg.GetWindowText(), "Tallyfern Desktop");
    EXPECT_EQ(dlg.GetDlgItem(4242), nullptr);

    // Twice the font makes about twice the window: the proportions of the template stay.
    QFont big = dlg.font();
    big.setPointSize(big.pointSize() * 2);
    const SDialogBaseUnits bigUnits = SDialogBaseUnits::FromFont(big);
    const double ratioX = double(bigUnits.ToPixelsX(312)) / units.ToPixelsX(312);
    const double ratioY = double(bigUnits.ToPixelsY(230)) / units.ToPixelsY(230);
    EXPECT_NEAR(ratioX, 2.0, 0.35);
    EXPECT_NEAR(ratioY, 2.0, 0.35);
}

TEST(Dialog, ControlsCarryTheirStylesAndMnemonics)
{
    TestApp();
    RegisterWindowMenu();
    CProbeDlg dlg;
    ASSERT_TRUE(dlg.Create());

    auto* pTotal = dlg.GetDlgItemAs<QLineEdit>(1008);
    ASSERT_NE(pTotal, nullptr);
    EXPECT_TRUE(pTotal->isReadOnly());
    EXPECT_TRUE(pTotal->alignment() & Qt::AlignRight);
    EXPECT_EQ(dlg.GetDlgItemAs<QPushButton>(1005)->text(), "&Refresh Now");
    EXPECT_EQ(dlg.GetDlgItemAs<QRadioButton>(1035)->layoutDirection(), Qt::RightToLeft);

    // A label's mnemonic leads to the next control; a label without one shows its text.
    QLabel* pValueLabel = nullptr;
    QLabel* pCategoryLabel = nullptr;
    for (QLabel* pLabel : dlg.findChildren<QLabel*>()) {
        if (pLabel->text() == "Total &Value:")
            pValueLabel = pLabel;
        if (pLabel->text() == "Category:")
            pCategoryLabel = pLabel;
    }
    ASSERT_NE(pValueLabel, nullptr) << "the label with a buddy shows its mnemonic";
    ASSERT_NE(pCategoryLabel, nullptr);
    EXPECT_EQ(pValueLabel->buddy(), pTotal);
    EXPECT_EQ(pCategoryLabel->buddy(), nullptr);

    // The two radio buttons form one exclusive group.
    dlg.CheckRadioButton(1035, 1036, 1035);
    EXPECT_EQ(dlg.GetCheckedRadioButton(1035, 1036), 1035);
    dlg.GetDlgItemAs<QRadioButton>(1036)->click();
    EXPECT_EQ(dlg.IsDlgButtonChecked(1035), BST_UNCHECKED);
    EXPECT_EQ(dlg.GetCheckedRadioButton(1035, 1036), 1036);
    dlg.CheckDlgButton(1036, BST_UNCHECKED);
    EXPECT_EQ(dlg.GetCheckedRadioButton(1035, 1036), 0);

    dlg.SetDlgItemText(1008, "1,234.50");
    EXPECT_EQ(dlg.GetDlgItemText(1008), "1,234.50");
    dlg.EnableDlgItem(1005, false);
    EXPECT_FALSE(dlg.IsDlgItemEnabled(1005));

    // The placeholder gives its place and identifier to the program's own control.
    auto* pGrid = new QWidget;
    const QRect place = dlg.GetDlgItem(1002)->geometry();
    ASSERT_TRUE(dlg.SubclassDlgItem(1002, pGrid));
    EXPECT_EQ(dlg.GetDlgItem(1002), pGrid);
    EXPECT_EQ(pGrid->geometry(), place);
}

TEST(Dialog, SortedBoxesOrderIgnoringCaseAndFindByPrefix)
{
    TestApp();
    CProbeDlg dlg;
    ASSERT_TRUE(dlg.Create());
    CComboBox box = dlg.ComboBox(1020);
    for (const char* psz : {"All", "Unfiled", "401(k)", "Stock Plan", "Business", "personal"})
        box.AddString(psz);
    std::vector<std::string> rows;
    for (int i = 0; i < box.GetCount(); ++i)
        rows.push_back(box.GetLBText(i));
    EXPECT_EQ(rows, (std::vector<std::string>{"401(k)", "All", "Business", "personal", "Stock Plan",
                                              "Unfiled"}));
    EXPECT_EQ(box.GetCurSel(), CB_ERR); // adding chooses nothing
    EXPECT_EQ(box.SelectString(-1, "bus"), 2);
    EXPECT_EQ(box.GetWindowText(), "Business");
    EXPECT_EQ(box.FindString(-1, "Pers"), 3);
    EXPECT_EQ(box.FindString(3, "S"), 4); // the search starts after the given row
    EXPECT_EQ(box.FindString(4, "4"), 0); // and wraps round
    EXPECT_EQ(box.FindStringExact(-1, "stock"), CB_ERR);
    EXPECT_EQ(box.SelectString(-1, "Nothing"), CB_ERR);
    EXPECT_EQ(box.GetWindowText(), "Business"); // a failed selection keeps the old one
    EXPECT_EQ(box.DeleteString(2), 5);
    EXPECT_EQ(box.GetCurSel(), CB_ERR); // the selected row went with it

    // Equal texts keep the order in which they came.
    CListBox list = dlg.ListBox(1015);
    list.AddString("IBM  , 2");
    list.AddString("ibm  , 2");
    list.AddString("AAPL , 3");
    EXPECT_EQ(list.GetText(0), "AAPL , 3");
    EXPECT_EQ(list.GetText(1), "IBM  , 2");
    EXPECT_EQ(list.GetText(2), "ibm  , 2");
    EXPECT_EQ(list.InsertString(1, "ZZZ"), 1); // inserting at a position never sorts
    EXPECT_EQ(list.GetText(1), "ZZZ");
}

TEST(Dialog, OnlyTheUsersChangesRaiseSelectionNotifications)
{
    TestApp();
    CProbeDlg dlg;
    ASSERT_TRUE(dlg.Create());
    CListBox list = dlg.ListBox(1015);
    list.AddString("a");
    list.AddString("b");
    list.SetCurSel(1);
    CComboBox box = dlg.ComboBox(1020);
    box.AddString("x");
    box.AddString("y");
    box.SetCurSel(0);
    EXPECT_TRUE(dlg.m_commands.empty());

    list.GetQList()->item(0)->setSelected(true); // as a click does
    emit box.GetQCombo()->activated(1);
    dlg.GetDlgItemAs<QCheckBox>(1037)->click();
    const std::vector<std::pair<unsigned, unsigned>> expected = {
        {1015u, LBN_SELCHANGE}, {1020u, CBN_SELCHANGE}, {1037u, BN_CLICKED}};
    EXPECT_EQ(dlg.m_commands, expected);
    EXPECT_EQ(list.GetCurSel(), 0);
}

TEST(Dialog, KeysMenusAndTheCloseBoxBecomeCommands)
{
    TestApp();
    RegisterWindowMenu();
    CProbeDlg dlg;
    int nRefreshes = 0;
    dlg.MapCommand(1005, [&] { ++nRefreshes; });
    ASSERT_TRUE(dlg.Create());
    dlg.show();

    // Enter with the focus in a field sends IDOK; on a push button it presses that button.
    dlg.GetDlgItem(1008)->setFocus();
    PressKey(&dlg, Qt::Key_Return);
    dlg.show();
    dlg.GetDlgItem(1005)->setFocus();
    PressKey(&dlg, Qt::Key_Return);
    EXPECT_EQ(nRefreshes, 1);
    PressKey(&dlg, Qt::Key_Escape);
    ASSERT_GE(dlg.m_commands.size(), 3u);
    EXPECT_EQ(dlg.m_commands[0], std::make_pair(unsigned(IDOK), BN_CLICKED));
    EXPECT_EQ(dlg.m_commands[1], std::make_pair(1005u, BN_CLICKED));
    EXPECT_EQ(dlg.m_commands[2], std::make_pair(unsigned(IDCANCEL), BN_CLICKED));
    // The default IDOK validated and ended the dialog; IDCANCEL ended it again.
    EXPECT_TRUE(dlg.IsEnded());
    EXPECT_EQ(dlg.GetResult(), IDCANCEL);

    // Menu items from the resource table carry their identifiers and mnemonics.
    QAction* pTrades = dlg.FindMenuCommand(32774);
    ASSERT_NE(pTrades, nullptr);
    EXPECT_EQ(pTrades->text(), "Edit &Trades...");
    dlg.m_commands.clear();
    pTrades->trigger();
    dlg.FindMenuCommand(32772)->trigger();
    const std::vector<std::pair<unsigned, unsigned>> expected = {{32774u, 0u}, {32772u, 0u}};
    EXPECT_EQ(dlg.m_commands, expected);

    // The close box is a request that reaches OnClose; the window stays until EndDialog.
    dlg.show();
    dlg.close();
    EXPECT_EQ(dlg.m_nCloses, 1);
    EXPECT_TRUE(dlg.isVisible());
    // ID_APP_EXIT closes the window the same way.
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(ID_APP_EXIT, 0));
    EXPECT_EQ(dlg.m_nCloses, 2);
}

TEST(Dialog, SystemMenuEntriesReachOnSysCommand)
{
    TestApp();
    CRecordingShellHost shell;
    CProbeDlg dlg;
    ASSERT_TRUE(dlg.Create());
    CMenu* pSystem = dlg.GetSystemMenu();
    ASSERT_NE(pSystem, nullptr);
    pSystem->AppendMenu(MF_SEPARATOR);
    pSystem->AppendMenu(MF_STRING, 16, "&About Tallyfern...");
    shell.SetMenuAnswer(16);
    dlg.ShowSystemMenu(QPoint(5, 5));
    ASSERT_EQ(shell.Popups().size(), 1u);
    EXPECT_EQ(shell.Popups()[0].items.back(), "&About Tallyfern...");
    EXPECT_EQ(dlg.m_sysCommands, std::vector<unsigned>{16});
    shell.SetMenuAnswer(SC_CLOSE);
    dlg.ShowSystemMenu(QPoint(5, 5));
    EXPECT_EQ(dlg.m_nCloses, 1);
}

TEST(Dialog, AFailedCreationEndsDoModalAtOnce)
{
    TestApp();
    CProbeDlg dlg;
    dlg.m_bRefuseCreate = true;
    EXPECT_EQ(dlg.DoModal(), -1);
    EXPECT_FALSE(dlg.isVisible());
}

TEST(Dialog, TimersTickByIdentifierAlsoInsideAMessageBox)
{
    TestApp();
    CProbeDlg dlg;
    ASSERT_TRUE(dlg.Create());
    ASSERT_TRUE(dlg.SetTimer(1, 600000));
    EXPECT_EQ(dlg.GetTimerInterval(1), 600000u);
    // Setting the same timer again restarts it with the new interval.
    ASSERT_TRUE(dlg.SetTimer(1, 5));
    EXPECT_EQ(dlg.GetTimerInterval(1), 5u);
    ASSERT_TRUE(WaitFor([&] { return dlg.m_timers.size() >= 2; }));
    EXPECT_EQ(dlg.m_timers[0], 1u);

    // A box's nested loop still delivers the window's ticks.
    CRecordingMessageBoxSink sink;
    std::size_t nTicksInBox = 0;
    sink.SetWhileShown([&](const SMessageBoxRequest&) {
        const std::size_t nBefore = dlg.m_timers.size();
        WaitFor([&] { return dlg.m_timers.size() > nBefore; });
        nTicksInBox = dlg.m_timers.size() - nBefore;
    });
    TfMessageBox("Mail failed", MB_OK, {}, &dlg);
    EXPECT_GE(nTicksInBox, 1u);

    EXPECT_TRUE(dlg.KillTimer(1));
    EXPECT_FALSE(dlg.KillTimer(1));
    EXPECT_EQ(dlg.GetTimerInterval(1), 0u);
    const std::size_t nAfterKill = dlg.m_timers.size();
    QTest::qWait(30);
    EXPECT_EQ(dlg.m_timers.size(), nAfterKill);
}

TEST(Dialog, HidingGoesToTheTrayOnlyWhereThereIsOne)
{
    TestApp();
    CRecordingShellHost shell;
    CProbeDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.show();
    dlg.HideToTray();
    EXPECT_FALSE(dlg.isVisible());

    // No notification area: a hidden window could never be brought back, so it minimises.
    shell.SetAreaAvailable(false);
    dlg.ShowWindow(SW_RESTORE);
    EXPECT_TRUE(dlg.isVisible());
    dlg.HideToTray();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(dlg.isMinimized());
    dlg.ShowWindow(SW_RESTORE);
    EXPECT_FALSE(dlg.isMinimized());
}

namespace {

// Totals drawn red below zero and blue otherwise, decided whenever the text changes.
class CTotalsDlg : public CDialog
{
  public:
    CTotalsDlg() : CDialog(WindowTemplate()) {}

  protected:
    bool OnCtlColor(int nId, COLORREF& crText) override
    {
        if (nId != 1008)
            return false;
        crText = GetDlgItemText(1008).starts_with('-') ? RGB(225, 0, 0) : RGB(0, 0, 255);
        return true;
    }
};

} // namespace

TEST(Dialog, TextColoursFollowTheTextsOfTheirFields)
{
    TestApp();
    CTotalsDlg dlg;
    ASSERT_TRUE(dlg.Create());
    QWidget* pTotal = dlg.GetDlgItem(1008);
    EXPECT_EQ(pTotal->palette().color(QPalette::Text), QColor(0, 0, 255)); // empty: blue
    dlg.SetDlgItemText(1008, "-1,234.50");
    EXPECT_EQ(pTotal->palette().color(QPalette::Text), QColor(225, 0, 0));
    dlg.SetDlgItemText(1008, "0.00");
    EXPECT_EQ(pTotal->palette().color(QPalette::Text), QColor(0, 0, 255));
    // Other fields keep the desktop's colours.
    EXPECT_EQ(dlg.GetDlgItem(1015)->palette().color(QPalette::Text),
              QApplication::palette(dlg.GetDlgItem(1015)).color(QPalette::Text));
}
