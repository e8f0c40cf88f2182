// CSocket: a blocking TCP stream socket with bounded waits, for the mail client. Every
// call returns when it is done, failed, or its time-out has passed; nothing waits forever.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

class CSocket
{
  public:
    // A server that accepts and then says nothing costs this long, not a frozen program.
    static constexpr std::chrono::milliseconds kDefaultConnectTimeout{30000};
    static constexpr std::chrono::milliseconds kDefaultIoTimeout{30000};

    CSocket() = default;
    CSocket(const CSocket&) = delete;
    CSocket& operator=(const CSocket&) = delete;
    virtual ~CSocket();

    // Opens an IPv4 stream socket. Connect replaces it when the host has only addresses of
    // another family. False (errno kept in GetLastError) when no socket can be had.
    bool Create();

    // Connects to a host name or a dotted (IPv4) or colon (IPv6) address; every address
    // the resolver gives is tried in turn within one connect time-out. Needs Create first.
    bool Connect(const std::string& strHost, unsigned nPort);

    // Sends the whole buffer. False on an error, a closed peer or when the peer takes
    // nothing for the I/O time-out. Never raises SIGPIPE.
    bool Send(const void* pData, std::size_t nSize);

    // One receive of up to nSize bytes: the count received, 0 when the peer has closed
    // the connection, -1 on an error or when nothing arrived within the I/O time-out.
    long Receive(void* pBuffer, std::size_t nSize);

    void Close();
    bool IsOpen() const { return m_nFd >= 0; }

    void SetTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds io)
    {
        m_connectTimeout = connect;
        m_ioTimeout = io;
    }

    // A point in time past which no call waits, whatever its own time-out says: a peer
    // that trickles one byte at a time restarts the I/O time-out, never this. The largest
    // time point (the default) means none.
    void SetDeadline(std::chrono::steady_clock::time_point deadline) { m_deadline = deadline; }
    void ClearDeadline() { m_deadline = std::chrono::steady_clock::time_point::max(); }

    // errno of the last failed call; ETIMEDOUT after a time-out.
    int GetLastError() const { return m_nLastError; }

    // The local computer's name, cut to fit nSize bytes with its terminator. False (and
    // an empty text) when the name cannot be had.
    static bool GetLocalHostName(char* pBuffer, std::size_t nSize);

  private:
    bool OpenFor(int nFamily);
    bool ConnectOne(const void* pAddress, unsigned nAddressLength,
                    std::chrono::steady_clock::time_point deadline);
    // Now plus the wait, or the overall deadline when that comes first.
    std::chrono::steady_clock::time_point WaitEnd(std::chrono::milliseconds wait) const;

    int m_nFd = -1;
    int m_nFamily = 0;
    int m_nLastError = 0;
    std::chrono::milliseconds m_connectTimeout = kDefaultConnectTimeout;
    std::chrono::milliseconds m_ioTimeout = kDefaultIoTimeout;
    std::chrono::steady_clock::time_point m_deadline = std::chrono::steady_clock::time_point::max();
};
