// What the dialog tests share: the one QApplication of the test program, and the user's
// actions on a dialog by control id (a click, a row chosen in a list, a modal run that the
// test drives and that cannot hang).
#pragma once

#include <functional>

#include <QAbstractButton>
#include <QApplication>
#include <QListWidget>
#include <QTimer>

#include "platform/framework/Dialog.h"
#include "platform/framework/WinDefs.h"

inline QApplication& DialogsTestApp()
{
    // Tests never need a display; a run outside ctest (or with only part of ctest's
    // environment) still gets the offscreen platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "tf_dialogs_tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: widgets of static objects may outlive main.
    static auto* pApp = new QApplication(argc, argv);
    return *pApp;
}

// A click on a push button, check box or radio button, as the control reports it. A check
// box or radio button changes its state first, as a real click does.
inline void Click(CDialog& dlg, int nId)
{
    if (auto* pButton = dlg.GetDlgItemAs<QAbstractButton>(nId)) {
        pButton->click();
        return;
    }
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(nId), BN_CLICKED), 0);
}

// The user picks row nRow of a list box (which raises the selection-change notification).
inline void ChooseRow(CDialog& dlg, int nListId, int nRow)
{
    dlg.GetDlgItemAs<QListWidget>(nListId)->setCurrentRow(nRow);
}

// A modal run whose steps run once the dialog is up; a stuck dialog ends with -2 after a
// few seconds instead of hanging the test.
inline int RunModal(CDialog& dlg, const std::function<void()>& steps, int nTimeoutMs = 5000)
{
    QTimer::singleShot(0, &dlg, steps);
    QTimer::singleShot(nTimeoutMs, &dlg, [&dlg] { dlg.EndDialog(-2); });
    return dlg.DoModal();
}
