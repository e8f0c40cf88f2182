// CWnd: anything that receives the framework's messages (commands, timers, callback
// messages). Windows built on Qt widgets derive from it through CDialog; tests can derive a
// plain recording owner from it.
#pragma once

#include <memory>

#include "platform/framework/WinDefs.h"

class QWidget;

class CWnd
{
  public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // Handles one message at once, on the caller's stack, and returns its result.
    LRESULT SendMessage(unsigned nMsg, WPARAM wParam = 0, LPARAM lParam = 0);
    // Queues the message for the event loop. A message for a window destroyed before the
    // loop gets to it is dropped.
    void PostMessage(unsigned nMsg, WPARAM wParam = 0, LPARAM lParam = 0);

    // The Qt widget behind the window, or nullptr for a window without one.
    virtual QWidget* GetWidget() const { return nullptr; }

  protected:
    // The window's message handler; the default handles nothing and returns 0.
    virtual LRESULT WindowProc(unsigned nMsg, WPARAM wParam, LPARAM lParam);

  private:
    // Shared with posted messages so that they can tell whether the window still lives.
    std::shared_ptr<CWnd*> m_pAlive;
};
