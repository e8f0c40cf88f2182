#include "app/SessionEnd.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

namespace {

int g_nSignalPipe[2] = {-1, -1};

extern "C" void OnEndSignal(int nSignal)
{
    const int nSaved = errno;
    const char byte = static_cast<char>(nSignal);
    // A full pipe already holds a pending request; nothing is lost by dropping this one.
    [[maybe_unused]] const ssize_t n = write(g_nSignalPipe[1], &byte, 1);
    errno = nSaved;
}

} // namespace

bool WatchSessionEnd(QObject* pContext, std::function<void()> onSave, std::function<void()> onEnd)
{
    auto shared = std::make_shared<std::function<void()>>(std::move(onEnd));
    if (auto* pApp = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        // The session manager asks every program to save before the session ends; a program
        // that is then simply killed has saved already.
        QObject::connect(pApp, &QGuiApplication::commitDataRequest, pContext,
                         [save = std::move(onSave)](QSessionManager&) { save(); });
        QObject::connect(pApp, &QCoreApplication::aboutToQuit, pContext, [shared] { (*shared)(); });
    }
    if (g_nSignalPipe[0] < 0) {
        if (pipe2(g_nSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
            return false;
    }
    auto* pNotifier = new QSocketNotifier(g_nSignalPipe[0], QSocketNotifier::Read, pContext);
    QObject::connect(pNotifier, &QSocketNotifier::activated, pContext, [shared] {
        char buffer[16];
        while (read(g_nSignalPipe[0], buffer, sizeof buffer) > 0) {
        }
        (*shared)();
    });
    struct sigaction action = {};
    action.sa_handler = OnEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    bool bOk = true;
    for (int nSignal : {SIGTERM, SIGHUP, SIGINT})
        bOk = sigaction(nSignal, &action, nullptr) == 0 && bOk;
    return bOk;
}
