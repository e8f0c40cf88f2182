// A socket on 127.0.0.1 (ephemeral port) that listens and never accepts: the kernel completes
// every connection, and then nothing is ever said. A server that accepts and never answers,
// for the tests and benchmarks of time-outs and deadlines.
#pragma once

#include <string>

class CSilentListener
{
  public:
    CSilentListener();
    ~CSilentListener();
    CSilentListener(const CSilentListener&) = delete;
    CSilentListener& operator=(const CSilentListener&) = delete;

    // 0 when the socket could not be made.
    int Port() const { return m_nPort; }
    std::string Address() const { return "127.0.0.1:" + std::to_string(m_nPort); }

  private:
    int m_fd = -1;
    int m_nPort = 0;
};
