// The one QApplication of a framework test program, made on first use on Qt's offscreen
// platform (unless the environment names another) and kept for the program's life.
#pragma once

#include <functional>

#include <QApplication>
#include <QElapsedTimer>

inline QApplication& TestApp()
{
    static int argc = 1;
    static char name[] = "tf_framework_tests";
    static char* argv[] = {name, nullptr};
    // These tests never need a display; run offscreen also when started by hand.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: widgets of static objects may outlive main.
    static auto* pApp = new QApplication(argc, argv);
    return *pApp;
}

// Processes events until done() holds or nMs pass; done()'s final answer.
inline bool WaitFor(const std::function<bool()>& done, int nMs = 2000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < nMs)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}
