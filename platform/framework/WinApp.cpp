#include "platform/framework/WinApp.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

#include <QApplication>
#include <QDialog>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QString>

#include "platform/framework/MessageBox.h"
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

// While the QApplication is made, Qt's messages are held back: when it cannot open the display
// it ends with a fatal message, and the program's own line is written in its place. When the
// display opened, what was held goes on to the handler that was installed before.
struct SHeldMessage
{
    QtMsgType type;
    const char* pFile;
    int nLine;
    const char* pFunction;
    const char* pCategory;
    QString text;
};

struct SStartupMessages
{
    QtMessageHandler previous = nullptr;
    std::vector<SHeldMessage> held;
    std::string strNoDisplay;
};

SStartupMessages* g_pStartup = nullptr;

void HoldStartupMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg) {
        std::fputs(g_pStartup->strNoDisplay.c_str(), stderr);
        std::fflush(stderr);
        std::_Exit(1);
    }
    g_pStartup->held.push_back(
        {type, context.file, context.line, context.function, context.category, text});
}

std::unique_ptr<QApplication> MakeApplication(int& argc, char** argv, std::string strNoDisplay)
{
    SStartupMessages startup;
    startup.strNoDisplay = std::move(strNoDisplay);
    g_pStartup = &startup;
    startup.previous = qInstallMessageHandler(HoldStartupMessage);
    auto pApp = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(startup.previous);
    g_pStartup = nullptr;
    for (const SHeldMessage& message : startup.held) {
        const QMessageLogContext context(message.pFile, message.nLine, message.pFunction,
                                         message.pCategory);
        if (startup.previous != nullptr)
            startup.previous(message.type, context, message.text);
        else
            qt_message_output(message.type, context, message.text);
    }
    return pApp;
}

} // namespace

CWinApp::CWinApp()
{
    ResumeMessageBoxes();
}

CWinApp::~CWinApp()
{
    RemoveTerminationHandlers();
    ResumeMessageBoxes();
}

int CWinApp::Run(int argc, char** argv)
{
    if (QApplication::instance() == nullptr) {
        // Qt keeps a reference to the count for the application's life.
        m_nArgc = argc;
        m_pOwnApp = MakeApplication(m_nArgc, argv, NoDisplayText());
    }
    // A window hidden to the tray is not the end of the program.
    QApplication::setQuitOnLastWindowClosed(false);
    InstallTerminationHandlers();
    if (!InitInstance())
        m_nExitCode = m_nExitCode != 0 ? m_nExitCode : 1;
    RemoveTerminationHandlers();
    return m_nExitCode;
}

std::string CWinApp::NoDisplayText() const
{
    return "This program needs a desktop session, and no display could be opened.\n";
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
    // One signal ends the program: no box open now or asked for later may keep it waiting.
    CloseAllMessageBoxes();
    OnEndSession();
}

void CWinApp::OnEndSession()
{
    if (m_pMainWnd == nullptr)
        return;
    m_pMainWnd->SendMessage(WM_CLOSE);
    // A dialog still open (an editing dialog, the About box) would keep its own loop running,
    // and the program with it: each is closed as with Cancel.
    for (QWidget* pWidget : QApplication::topLevelWidgets()) {
        auto* pOpen = qobject_cast<QDialog*>(pWidget);
        if (pOpen != nullptr && pOpen != m_pMainWnd->GetWidget() && pOpen->isVisible())
            pOpen->reject();
    }
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
