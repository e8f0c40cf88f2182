// Starting the project's programs from a test: run one to its end with its output captured, or
// keep one running in the background (a server, a program to kill at a random moment). Each
// child gets its own process group, so a kill reaches whatever it started in turn.
#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace tf::test {

struct SProcessOptions
{
    std::string workingDir;                               // empty: the test's own
    std::vector<std::pair<std::string, std::string>> env; // set or replaced in the child
    std::vector<std::string> unsetEnv;                    // removed from the child's environment
    std::string input;                                    // written to its standard input
    std::chrono::milliseconds timeout{30000};             // then it is killed
    bool mergeStderr = false;                             // standard error into out
};

struct SProcessResult
{
    int exitCode = -1;     // -1 when it did not exit by itself
    int termSignal = 0;    // the signal that ended it, if any
    bool timedOut = false; // killed after the time-out
    bool started = false;  // false: it could not be started at all
    std::string out;
    std::string err;
};

// Runs argv[0] (a path, or a name looked up in PATH) with the arguments and waits for it.
SProcessResult RunProcess(const std::vector<std::string>& argv,
                          const SProcessOptions& options = {});

// A program left running while the test goes on. Its standard output and error go to files in
// the system's temporary folder, read with Output() at any time. The destructor kills it.
class CChildProcess
{
  public:
    CChildProcess() = default;
    ~CChildProcess();
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    bool Start(const std::vector<std::string>& argv, const SProcessOptions& options = {});
    pid_t Pid() const { return m_pid; }
    bool Running();
    // Sends the signal to the child's whole process group.
    void Signal(int signal);
    // Waits for the end; kills the group after the time-out. Output is read in.
    SProcessResult Wait(std::chrono::milliseconds timeout = std::chrono::milliseconds(30000));
    // What it wrote so far.
    std::string Output() const;
    std::string Errors() const;

  private:
    pid_t m_pid = -1;
    bool m_bReaped = false;
    int m_nStatus = 0;
    std::string m_strOutFile;
    std::string m_strErrFile;
};

// The words of a command line split as a POSIX shell splits them, for tests that write a
// program's arguments as one line: blanks separate words, '...' keeps everything as it stands,
// "..." keeps blanks (a backslash in it takes the next \ or "), and a backslash outside quotes
// takes the next character as it is. No expansion of any kind.
std::vector<std::string> SplitCommandLine(const std::string& line);

// A TCP port on 127.0.0.1 that nothing listened on a moment ago (bound to port 0 and released).
int FreeLoopbackPort();
// True when something accepts connections on 127.0.0.1:port.
bool LoopbackPortListens(int port);
// Waits until the port listens or the time runs out.
bool WaitForLoopbackPort(int port, std::chrono::milliseconds timeout);

} // namespace tf::test
