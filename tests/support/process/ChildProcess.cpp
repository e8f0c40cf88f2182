#include "tests/support/process/ChildProcess.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <map>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace tf::test {
namespace {

// The child's environment: ours, with the options' changes.
std::vector<std::string> ChildEnvironment(const SProcessOptions& options)
{
    std::map<std::string, std::string> vars;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        std::string text = *entry;
        std::size_t equals = text.find('=');
        if (equals != std::string::npos)
            vars[text.substr(0, equals)] = text.substr(equals + 1);
    }
    for (const std::string& name : options.unsetEnv)
        vars.erase(name);
    for (const auto& [name, value] : options.env)
        vars[name] = value;
    std::vector<std::string> result;
    result.reserve(vars.size());
    for (const auto& [name, value] : vars)
        result.push_back(name + "=" + value);
    return result;
}

std::vector<char*> Pointers(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    pointers.reserve(texts.size() + 1);
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Spawns with the three standard descriptors given (-1 keeps ours) in a new process group.
pid_t Spawn(const std::vector<std::string>& argv, const SProcessOptions& options, int in, int out,
            int err, const std::vector<int>& closeInChild)
{
    if (argv.empty())
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (in >= 0)
        posix_spawn_file_actions_adddup2(&actions, in, STDIN_FILENO);
    if (out >= 0)
        posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
    if (err >= 0)
        posix_spawn_file_actions_adddup2(&actions, err, STDERR_FILENO);
    for (int fd : closeInChild)
        posix_spawn_file_actions_addclose(&actions, fd);
    if (!options.workingDir.empty())
        posix_spawn_file_actions_addchdir_np(&actions, options.workingDir.c_str());
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK |
                                              POSIX_SPAWN_SETSIGDEF);
    posix_spawnattr_setpgroup(&attributes, 0);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    sigset_t all;
    sigfillset(&all);
    posix_spawnattr_setsigdefault(&attributes, &all);

    std::vector<std::string> args = argv;
    std::vector<std::string> env = ChildEnvironment(options);
    std::vector<char*> argp = Pointers(args);
    std::vector<char*> envp = Pointers(env);
    pid_t pid = -1;
    int spawned = posix_spawnp(&pid, argp[0], &actions, &attributes, argp.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : -1;
}

void Decode(int status, SProcessResult& result)
{
    if (WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.termSignal = WTERMSIG(status);
}

std::string ReadWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string TempOutputFile(const char* kind)
{
    std::string pattern = "/tmp/tf-child-" + std::string(kind) + "-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    int fd = ::mkstemp(buffer.data());
    if (fd >= 0)
        ::close(fd);
    return buffer.data();
}

} // namespace

SProcessResult RunProcess(const std::vector<std::string>& argv, const SProcessOptions& options)
{
    SProcessResult result;
    int inPipe[2];
    int outPipe[2];
    int errPipe[2];
    if (::pipe2(inPipe, O_CLOEXEC) != 0 || ::pipe2(outPipe, O_CLOEXEC) != 0 ||
        ::pipe2(errPipe, O_CLOEXEC) != 0)
        return result;
    pid_t pid = Spawn(argv, options, inPipe[0], outPipe[1],
                      options.mergeStderr ? outPipe[1] : errPipe[1], {});
    ::close(inPipe[0]);
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    if (pid < 0) {
        ::close(inPipe[1]);
        ::close(outPipe[0]);
        ::close(errPipe[0]);
        return result;
    }
    result.started = true;

    // Standard input is written from its own thread so that a child that writes a lot before
    // reading cannot block against us.
    std::thread feeder([fd = inPipe[1], input = options.input] {
        std::signal(SIGPIPE, SIG_IGN);
        std::size_t done = 0;
        while (done < input.size()) {
            ssize_t wrote = ::write(fd, input.data() + done, input.size() - done);
            if (wrote < 0 && errno == EINTR)
                continue;
            if (wrote <= 0)
                break;
            done += static_cast<std::size_t>(wrote);
        }
        ::close(fd);
    });

    const auto deadline = std::chrono::steady_clock::now() + options.timeout;
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    int open = 2;
    char buffer[8192];
    while (open > 0) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now())
                        .count();
        if (left <= 0) {
            ::kill(-pid, SIGKILL);
            result.timedOut = true;
            break;
        }
        int ready = ::poll(fds, 2, static_cast<int>(left));
        if (ready < 0 && errno == EINTR)
            continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0)
                continue;
            ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                (i == 0 ? result.out : result.err).append(buffer, static_cast<std::size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    for (pollfd& fd : fds) {
        if (fd.fd >= 0)
            ::close(fd.fd);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    feeder.join();
    Decode(status, result);
    return result;
}

CChildProcess::~CChildProcess()
{
    if (m_pid > 0 && !m_bReaped) {
        ::kill(-m_pid, SIGKILL);
        while (::waitpid(m_pid, &m_nStatus, 0) < 0 && errno == EINTR) {
        }
    }
    if (!m_strOutFile.empty())
        ::unlink(m_strOutFile.c_str());
    if (!m_strErrFile.empty())
        ::unlink(m_strErrFile.c_str());
}

bool CChildProcess::Start(const std::vector<std::string>& argv, const SProcessOptions& options)
{
    if (m_pid > 0)
        return false;
    m_strOutFile = TempOutputFile("out");
    m_strErrFile = TempOutputFile("err");
    int out = ::open(m_strOutFile.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    int err =
        options.mergeStderr ? out : ::open(m_strErrFile.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    int in = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    m_pid = Spawn(argv, options, in, out, err, {});
    ::close(in);
    ::close(out);
    if (err != out)
        ::close(err);
    m_bReaped = false;
    return m_pid > 0;
}

bool CChildProcess::Running()
{
    if (m_pid <= 0 || m_bReaped)
        return false;
    pid_t done = ::waitpid(m_pid, &m_nStatus, WNOHANG);
    if (done == m_pid)
        m_bReaped = true;
    return !m_bReaped;
}

void CChildProcess::Signal(int signal)
{
    if (m_pid > 0 && !m_bReaped)
        ::kill(-m_pid, signal);
}

SProcessResult CChildProcess::Wait(std::chrono::milliseconds timeout)
{
    SProcessResult result;
    result.started = m_pid > 0;
    if (m_pid <= 0)
        return result;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (Running()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(-m_pid, SIGKILL);
            result.timedOut = true;
            while (::waitpid(m_pid, &m_nStatus, 0) < 0 && errno == EINTR) {
            }
            m_bReaped = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    Decode(m_nStatus, result);
    result.out = Output();
    result.err = Errors();
    return result;
}

std::string CChildProcess::Output() const
{
    return ReadWhole(m_strOutFile);
}
std::string CChildProcess::Errors() const
{
    return ReadWhole(m_strErrFile);
}

std::vector<std::string> SplitCommandLine(const std::string& line)
{
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (c == ' ' || c == '\t' || c == '\n') {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == '\'') {
            std::size_t end = line.find('\'', i + 1);
            end = end == std::string::npos ? line.size() : end;
            word.append(line, i + 1, end - i - 1);
            i = end;
        } else if (c == '"') {
            for (++i; i < line.size() && line[i] != '"'; ++i) {
                if (line[i] == '\\' && i + 1 < line.size() &&
                    (line[i + 1] == '"' || line[i + 1] == '\\'))
                    ++i;
                word += line[i];
            }
        } else if (c == '\\' && i + 1 < line.size()) {
            word += line[++i];
        } else {
            word += c;
        }
    }
    if (inWord)
        words.push_back(word);
    return words;
}

int FreeLoopbackPort()
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    int port = -1;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

bool LoopbackPortListens(int port)
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    bool listens = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return listens;
}

bool WaitForLoopbackPort(int port, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (LoopbackPortListens(port))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return LoopbackPortListens(port);
}

} // namespace tf::test
