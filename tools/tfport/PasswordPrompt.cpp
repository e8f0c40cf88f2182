#include "tools/tfport/PasswordPrompt.h"

#include <csignal>
#include <cstdio>
#include <iostream>
#include <iterator>
#include <termios.h>
#include <unistd.h>

namespace {

// No provider takes a password this long; a longer line is refused, not cut.
constexpr std::size_t kMaxPasswordLength = 1024;

// The terminal's settings while echo is off, so a signal can put them back.
termios g_saved{};
volatile std::sig_atomic_t g_bEchoOff = 0;

void RestoreAndDie(int nSignal)
{
    if (g_bEchoOff)
        tcsetattr(STDIN_FILENO, TCSANOW, &g_saved);
    // Inside a handler nothing is left to do should these fail: the terminal is back already.
    (void)std::signal(nSignal, SIG_DFL);
    (void)std::raise(nSignal);
}

// The signals that would leave the terminal without echo.
constexpr int kEchoSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// Echo off for the life of the object, back on (and a line end shown) at its end.
class CNoEcho
{
  public:
    CNoEcho()
    {
        if (tcgetattr(STDIN_FILENO, &g_saved) != 0)
            return;
        termios quiet = g_saved;
        quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
        // A line end still shows, so the user sees the prompt was answered.
        quiet.c_lflag |= ECHONL;
        for (std::size_t i = 0; i < std::size(kEchoSignals); ++i)
            m_previous[i] = std::signal(kEchoSignals[i], RestoreAndDie);
        g_bEchoOff = tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
    }
    ~CNoEcho()
    {
        if (g_bEchoOff)
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_saved);
        g_bEchoOff = 0;
        // The handlers from before go back; one that could not be replaced stays as it was.
        for (std::size_t i = 0; i < std::size(kEchoSignals); ++i) {
            if (m_previous[i] != SIG_ERR)
                (void)std::signal(kEchoSignals[i], m_previous[i]);
        }
    }
    CNoEcho(const CNoEcho&) = delete;
    CNoEcho& operator=(const CNoEcho&) = delete;

  private:
    using Handler = void (*)(int);
    Handler m_previous[std::size(kEchoSignals)] = {SIG_ERR, SIG_ERR, SIG_ERR, SIG_ERR};
};

bool ReadLine(std::string& strLine)
{
    strLine.clear();
    for (;;) {
        int c = std::getchar();
        if (c == EOF)
            return !strLine.empty();
        if (c == '\n')
            return true;
        if (strLine.size() >= kMaxPasswordLength)
            return false;
        strLine += static_cast<char>(c);
    }
}

} // namespace

bool ReadPassword(const std::string& strPrompt, std::string& strPassword)
{
    bool bRead = false;
    if (isatty(STDIN_FILENO)) {
        // Echo goes off before the prompt shows: switching it off flushes what was typed, so
        // an answer typed straight after the prompt must not arrive before.
        CNoEcho quiet;
        std::cerr << strPrompt << std::flush;
        bRead = ReadLine(strPassword);
    } else {
        std::cerr << strPrompt << std::flush;
        bRead = ReadLine(strPassword);
        std::cerr << "\n";
    }
    if (!strPassword.empty() && strPassword.back() == '\r')
        strPassword.pop_back();
    return bRead;
}
