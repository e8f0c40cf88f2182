#include "tools/tfport/PasswordPrompt.h"

#include <csignal>
#include <cstdio>
#include <iostream>
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
    std::signal(nSignal, SIG_DFL);
    std::raise(nSignal);
}

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
        for (int nSignal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
            std::signal(nSignal, RestoreAndDie);
        g_bEchoOff = tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
    }
    ~CNoEcho()
    {
        if (g_bEchoOff)
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_saved);
        g_bEchoOff = 0;
        for (int nSignal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
            std::signal(nSignal, SIG_DFL);
    }
    CNoEcho(const CNoEcho&) = delete;
    CNoEcho& operator=(const CNoEcho&) = delete;
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
    std::cerr << strPrompt << std::flush;
    bool bRead = false;
    if (isatty(STDIN_FILENO)) {
        CNoEcho quiet;
        bRead = ReadLine(strPassword);
    } else {
        bRead = ReadLine(strPassword);
        std::cerr << "\n";
    }
    if (!strPassword.empty() && strPassword.back() == '\r')
        strPassword.pop_back();
    return bRead;
}
