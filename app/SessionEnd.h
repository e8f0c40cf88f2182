// Ending the program from outside: SIGTERM, SIGHUP and SIGINT reach the main window as its
// close command (save, stop the timer, take the tray icon down); the desktop session's
// request to save before a logout saves the portfolio. Signals are turned into an event of the Qt
// loop through a pipe, since nothing but a write is safe inside a signal handler.
#pragma once

#include <functional>

class QObject;

// Calls onSave when the session manager asks the program to save (the user is logging out;
// the logout may still be cancelled, so the program keeps running), and onEnd on the
// user-interface thread when one of the signals arrives or the application is told to quit.
// pContext owns the connections. False when the pipe or the handlers could not be set.
bool WatchSessionEnd(QObject* pContext, std::function<void()> onSave, std::function<void()> onEnd);
