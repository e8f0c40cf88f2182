// Ending the program from outside: SIGTERM, SIGHUP and SIGINT, and the desktop session's
// end, all reach the main window as its close command (save, stop the timer, take the tray
// icon down). Signals are turned into an event of the Qt loop through a pipe, since nothing
// but a write is safe inside a signal handler.
#pragma once

#include <functional>

class QObject;

// Calls onEnd on the user-interface thread when one of the signals arrives or the session
// ends. pContext owns the connections. False when the pipe or the handlers could not be set.
bool WatchSessionEnd(QObject* pContext, std::function<void()> onEnd);
