#include "platform/framework/WinApp.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include "platform/framework/WinDefs.h"
#include "platform/framework/Wnd.h"

namespace {

// The signals that end the program as its close command does.
constexpr std::array<int, 3> kTerminationSignals = {SIGTERM, SIGINT, SIGHUP};

// Written by the signal handler, read by the event loop: the only thing a handler may safely
// do is write a byte.
int g_signalPipe[2] = {-1, -1};

extern "C" void OnSignal(int)
{
    const int nSaved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t nWritten = ::write(g_signalPipe[1], &byte, 1);
    errno = nSaved;
}

} // namespace

CWinApp::CWinApp() = default;

CWinApp::~CWinApp()
{
    RemoveTerminationHandlers();
}

int CWinApp::Run(int argc, char** argv)
{
    if (QApplication::instance() == nullptr)
        m_pOwnApp = std::make_unique<QApplication>(argc, argv);
    // A window hidden to the tray is not the end of the program.
    QApplication::setQuitOnLastWindowClosed(false);
    InstallTerminationHandlers();
    if (!InitInstance())
        m_nExitCode = m_nExitCode != 0 ? m_nExitCode : 1;
    RemoveTerminationHandlers();
    return m_nExitCode;
}

bool CWinApp::InstallTerminationHandlers()
{
    if (m_bHandlersInstalled)
        return true;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalPipe) != 0)
        return false;
    m_pNotifier = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(m_pNotifier.get(), &QSocketNotifier::activated, m_pNotifier.get(),
                     [this] { OnTerminationSignal(); });
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int nSignal : kTerminationSignals)
        ::sigaction(nSignal, &action, nullptr);

    if (auto* pGui = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QObject::connect(pGui, &QGuiApplication::commitDataRequest, m_pNotifier.get(),
                         [this](QSessionManager&) { OnSaveSession(); });
    }
    m_bHandlersInstalled = true;
    return true;
}

void CWinApp::OnTerminationSignal()
{
    char buffer[16];
    while (::read(g_signalPipe[0], buffer, sizeof buffer) > 0) {
    }
    OnEndSession();
}

void CWinApp::OnEndSession()
{
    if (m_pMainWnd != nullptr)
        m_pMainWnd->PostMessage(WM_CLOSE);
}

void CWinApp::OnSaveSession()
{
    if (m_pMainWnd != nullptr)
        m_pMainWnd->SendMessage(WM_CLOSE);
}

void CWinApp::RemoveTerminationHandlers()
{
    if (!m_bHandlersInstalled)
        return;
    for (const int nSignal : kTerminationSignals)
        ::signal(nSignal, SIG_DFL);
    m_pNotifier.reset();
    ::close(g_signalPipe[0]);
    ::close(g_signalPipe[1]);
    g_signalPipe[0] = g_signalPipe[1] = -1;
    m_bHandlersInstalled = false;
}
