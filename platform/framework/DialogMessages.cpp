// CDialog's messages and commands: the handler tables, the default commands, the keys and
// the close box, timer ticks and the system menu's right click.
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimerEvent>

#include "platform/framework/Dialog.h"

// ---- messages and commands

void CDialog::MapCommand(unsigned nId, std::function<void()> handler)
{
    MapNotify(nId, BN_CLICKED, std::move(handler));
}

void CDialog::MapNotify(unsigned nId, unsigned nCode, std::function<void()> handler)
{
    m_commands[{nId, nCode}] = std::move(handler);
}

void CDialog::MapMessage(unsigned nMsg, std::function<LRESULT(WPARAM, LPARAM)> handler)
{
    m_messages[nMsg] = std::move(handler);
}

LRESULT CDialog::WindowProc(unsigned nMsg, WPARAM wParam, LPARAM lParam)
{
    if (const auto it = m_messages.find(nMsg); it != m_messages.end()) {
        // A copy, so that a handler may replace its own registration.
        const auto handler = it->second;
        return handler(wParam, lParam);
    }
    switch (nMsg) {
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam)) ? 1 : 0;
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_TIMER:
        OnTimer(static_cast<unsigned>(wParam));
        return 0;
    case WM_SYSCOMMAND:
        OnSysCommand(static_cast<unsigned>(wParam));
        return 0;
    default:
        return 0;
    }
}

bool CDialog::OnCommand(unsigned nId, unsigned nCode)
{
    if (const auto it = m_commands.find({nId, nCode}); it != m_commands.end()) {
        const auto handler = it->second;
        handler();
        return true;
    }
    if (nCode != BN_CLICKED)
        return false;
    if (nId == static_cast<unsigned>(IDOK)) {
        OnOK();
        return true;
    }
    if (nId == static_cast<unsigned>(IDCANCEL)) {
        OnCancel();
        return true;
    }
    if (nId == ID_APP_EXIT) {
        SendMessage(WM_CLOSE);
        return true;
    }
    return false;
}

void CDialog::OnOK()
{
    if (UpdateData(true))
        EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::OnClose()
{
    SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

void CDialog::OnSysCommand(unsigned nId)
{
    if (nId == SC_CLOSE)
        SendMessage(WM_CLOSE);
    else if (nId == SC_MINIMIZE)
        showMinimized();
}

void CDialog::keyPressEvent(QKeyEvent* pEvent)
{
    const int nKey = pEvent->key();
    if (pEvent->modifiers() == Qt::NoModifier || pEvent->modifiers() == Qt::KeypadModifier) {
        if (nKey == Qt::Key_Escape) {
            SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            return;
        }
        if (nKey == Qt::Key_Return || nKey == Qt::Key_Enter) {
            if (auto* pFocus = qobject_cast<QPushButton*>(focusWidget());
                pFocus != nullptr && pFocus->isEnabled()) {
                pFocus->click();
                return;
            }
            unsigned nTarget = IDOK;
            for (const SDialogItem& item : m_template.items) {
                if (item.kind == EControlKind::PushButton && (item.nStyle & kStyleDefault) != 0)
                    nTarget = static_cast<unsigned>(item.nId);
            }
            if (QWidget* pButton = GetDlgItem(static_cast<int>(nTarget));
                pButton != nullptr && !pButton->isEnabled())
                return;
            SendMessage(WM_COMMAND, MAKEWPARAM(nTarget, BN_CLICKED), 0);
            return;
        }
    }
    QWidget::keyPressEvent(pEvent);
}

void CDialog::closeEvent(QCloseEvent* pEvent)
{
    // The window closes only through EndDialog; the close box is a request.
    pEvent->ignore();
    SendMessage(WM_CLOSE);
}

void CDialog::timerEvent(QTimerEvent* pEvent)
{
    for (const auto& [nId, timer] : m_timers) {
        if (timer.first == pEvent->timerId()) {
            SendMessage(WM_TIMER, nId, 0);
            return;
        }
    }
    QDialog::timerEvent(pEvent);
}

void CDialog::contextMenuEvent(QContextMenuEvent* pEvent)
{
    // A right click on the dialog's own background opens the system menu.
    if (childAt(pEvent->pos()) == m_pClient || childAt(pEvent->pos()) == nullptr)
        ShowSystemMenu(pEvent->globalPos());
}
