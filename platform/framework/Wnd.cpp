#include "platform/framework/Wnd.h"

#include <QCoreApplication>
#include <QTimer>

CWnd::CWnd() : m_pAlive(std::make_shared<CWnd*>(this)) {}

CWnd::~CWnd()
{
    *m_pAlive = nullptr;
}

LRESULT CWnd::SendMessage(unsigned nMsg, WPARAM wParam, LPARAM lParam)
{
    return WindowProc(nMsg, wParam, lParam);
}

void CWnd::PostMessage(unsigned nMsg, WPARAM wParam, LPARAM lParam)
{
    std::weak_ptr<CWnd*> pWeak = m_pAlive;
    QTimer::singleShot(0, QCoreApplication::instance(), [pWeak, nMsg, wParam, lParam] {
        if (auto pAlive = pWeak.lock(); pAlive && *pAlive != nullptr)
            (*pAlive)->SendMessage(nMsg, wParam, lParam);
    });
}

LRESULT CWnd::WindowProc(unsigned, WPARAM, LPARAM)
{
    return 0;
}
