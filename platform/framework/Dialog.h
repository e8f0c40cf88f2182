// CDialog: a window built from a dialog template (see DialogTemplate.h), with controls found
// by identifier, data exchange and validation (DataExchange.h), commands by identifier,
// window timers by identifier, a menu bar from a menu resource, a system menu, and a modal
// loop. Both the program's main window and its editing dialogs derive from it.
//
// How a dialog is written:
//
//   class CMyDlg : public CDialog {
//   public:
//       CMyDlg() : CDialog(MyTemplate()) { MapCommand(1017, [this] { OnAdd(); }); }
//       int m_nCount = 0;
//   protected:
//       void DoDataExchange(CDataExchange* pDX) override {
//           DDX_Text(pDX, 1012, m_nCount);          // read or write, by direction
//           DDV_MinMaxInt(pDX, m_nCount, 0, 100);   // validate the field just read
//       }
//   };
//   CMyDlg dlg; dlg.m_nCount = 5;
//   if (dlg.DoModal() == IDOK) use(dlg.m_nCount);
//
// Events, all on the user-interface thread, reach the dialog as messages through
// WindowProc: a push button or check box click and a menu choice as WM_COMMAND with the
// control's identifier and BN_CLICKED; a list's selection change by the user with
// LBN_SELCHANGE or CBN_SELCHANGE (never for changes the program makes itself); a timer as
// WM_TIMER; the close box as WM_CLOSE. Handlers are registered by identifier (MapCommand,
// MapNotify, MapMessage) or by overriding the virtual operations below.
//
// Keys: Enter presses the focused push button, else the template's default push button,
// else sends IDOK; Escape sends IDCANCEL. The default IDOK runs OnOK (validate, end with
// IDOK), IDCANCEL runs OnCancel (end with IDCANCEL), WM_CLOSE sends IDCANCEL, and
// ID_APP_EXIT sends WM_CLOSE.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include <QDialog>

#include "platform/framework/Controls.h"
#include "platform/framework/DialogTemplate.h"
#include "platform/framework/Menu.h"
#include "platform/framework/Wnd.h"

class QEventLoop;
class QMenuBar;
class QAction;
class QVBoxLayout;
class CDataExchange;

class CDialog : public QDialog, public CWnd
{
  public:
    // pParent is the owner: a modal dialog blocks input to it. Not owned.
    explicit CDialog(SDialogTemplate dialogTemplate, CWnd* pParent = nullptr);
    ~CDialog() override;

    // Creates the window if needed, shows it and runs its own event loop until EndDialog.
    // Returns the EndDialog result, or -1 when creation failed.
    int DoModal();
    // Builds the window and its controls from the template, then runs OnCreate and
    // OnInitDialog; the window is not shown. False when OnCreate refused.
    bool Create();
    // Ends the modal loop (or a later DoModal at once) with nResult and hides the window.
    void EndDialog(int nResult);
    bool IsCreated() const { return m_bCreated; }
    bool IsEnded() const { return m_bEnded; }
    int GetResult() const { return m_nResult; }

    // Reads all fields into the members (true) or writes them to the controls (false). A
    // refused field shows its message, takes the focus, and makes the result false.
    bool UpdateData(bool bSaveAndValidate = true);

    // ---- handlers by identifier (later registrations replace earlier ones)
    void MapCommand(unsigned nId, std::function<void()> handler);
    void MapNotify(unsigned nId, unsigned nCode, std::function<void()> handler);
    void MapMessage(unsigned nMsg, std::function<LRESULT(WPARAM, LPARAM)> handler);

    // ---- controls
    QWidget* GetDlgItem(int nId) const;
    template <class T> T* GetDlgItemAs(int nId) const { return dynamic_cast<T*>(GetDlgItem(nId)); }
    std::string GetDlgItemText(int nId) const;
    void SetDlgItemText(int nId, const std::string& strText);
    void EnableDlgItem(int nId, bool bEnable);
    bool IsDlgItemEnabled(int nId) const;
    void CheckDlgButton(int nId, int nCheck);
    int IsDlgButtonChecked(int nId) const;
    // Checks nCheck and unchecks every other radio button from nFirst to nLast.
    void CheckRadioButton(int nFirst, int nLast, int nCheck);
    // The checked radio button between nFirst and nLast, or 0.
    int GetCheckedRadioButton(int nFirst, int nLast) const;
    CListBox ListBox(int nId) const;
    CComboBox ComboBox(int nId) const;
    // Stops typing into an edit field at nChars characters.
    void LimitText(int nId, int nChars);
    // Gives the control the focus (selecting an edit field's text).
    void GotoDlgCtrl(int nId);
    // Puts pControl in the place and under the identifier of the template's item nId (a
    // Custom placeholder, typically), which it replaces. The dialog owns pControl.
    bool SubclassDlgItem(int nId, QWidget* pControl);

    // ---- the window
    void SetWindowText(const std::string& strText);
    std::string GetWindowText() const;
    void ShowWindow(int nCmdShow);
    // Hides the window where a notification area can bring it back, minimises it where none
    // exists (a hidden window could not be reached again).
    void HideToTray();
    void SetIcon(HICON hIcon, bool bBigIcon);
    // Starts or restarts window timer nIdEvent; each tick arrives as WM_TIMER and OnTimer.
    bool SetTimer(unsigned nIdEvent, unsigned nElapseMs);
    bool KillTimer(unsigned nIdEvent);
    // The interval of timer nIdEvent in milliseconds, or 0 when it is not set.
    unsigned GetTimerInterval(unsigned nIdEvent) const;
    // The menu bar built from the template's menu resource; nullptr when there is none.
    QMenuBar* GetMenuBar() const { return m_pMenuBar; }
    // The menu-bar item with command nId, or nullptr.
    QAction* FindMenuCommand(unsigned nId) const;
    // The system menu ("&Close"; "Mi&nimize" with a minimise box); items reach OnSysCommand.
    CMenu* GetSystemMenu();
    // Shows the system menu at pt through the shell host (Alt+Space shows it too).
    void ShowSystemMenu(QPoint pt);
    // Re-applies OnCtlColor to every control.
    void RefreshCtlColors();

    const SDialogTemplate& Template() const { return m_template; }
    const SDialogBaseUnits& BaseUnits() const { return m_units; }
    QWidget* GetWidget() const override { return const_cast<CDialog*>(this); }

  protected:
    // Window creation, before OnInitDialog; false fails the creation (DoModal returns -1).
    virtual bool OnCreate() { return true; }
    // Writes the members into the controls; true lets the framework set the first focus.
    virtual bool OnInitDialog();
    virtual void DoDataExchange(CDataExchange* /*pDX*/) {}
    virtual void OnOK();
    virtual void OnCancel();
    virtual void OnClose();
    // Runs the handler registered for (nId, nCode), else the defaults above; true when
    // something handled it.
    virtual bool OnCommand(unsigned nId, unsigned nCode);
    virtual void OnTimer(unsigned /*nIdEvent*/) {}
    virtual void OnSysCommand(unsigned nId);
    // Text colour of control nId: set crText and return true, or false for the default.
    virtual bool OnCtlColor(int /*nId*/, COLORREF& /*crText*/) { return false; }

    LRESULT WindowProc(unsigned nMsg, WPARAM wParam, LPARAM lParam) override;

    void keyPressEvent(QKeyEvent* pEvent) override;
    void closeEvent(QCloseEvent* pEvent) override;
    void timerEvent(QTimerEvent* pEvent) override;
    void contextMenuEvent(QContextMenuEvent* pEvent) override;
    void done(int nResult) override;

  private:
    // The steps of Create: font, caption and frame; the menu bar from the template's menu;
    // the controls with their mnemonics and notifications; the first focus.
    void SetUpWindow();
    void CreateMenuBar(QVBoxLayout* pLayout);
    void CreateControls();
    void FocusFirstControl();
    QWidget* CreateControl(const SDialogItem& item, QWidget* pPrevRadio);
    void ConnectControl(int nId, QWidget* pWidget);
    void ApplyCtlColor(int nId);
    void BuildSystemMenu();

    SDialogTemplate m_template;
    CWnd* m_pParentWnd;
    SDialogBaseUnits m_units;
    QWidget* m_pClient = nullptr;
    QMenuBar* m_pMenuBar = nullptr;
    std::map<int, QWidget*> m_controls;
    std::map<std::pair<unsigned, unsigned>, std::function<void()>> m_commands;
    std::map<unsigned, std::function<LRESULT(WPARAM, LPARAM)>> m_messages;
    // Window timer id -> (Qt timer id, interval).
    std::map<unsigned, std::pair<int, unsigned>> m_timers;
    std::unique_ptr<CMenu> m_pSystemMenu;
    QEventLoop* m_pLoop = nullptr;
    bool m_bCreated = false;
    bool m_bEnded = false;
    int m_nResult = -1;
};
