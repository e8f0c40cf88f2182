// A real mail server for the interop tests: Debian's aiosmtpd, run by Debian's Python on a
// free loopback port, delivering into a maildir of the test's own, with TLS from the first
// byte or STARTTLS and a login when asked. Certificates for it are made at test time with
// openssl. What arrives is read back with Python's own email parser.
#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/support/process/ChildProcess.h"

namespace tf::test {

// The interpreter that has Debian's aiosmtpd (TF_DEBIAN_PYTHON, else /usr/bin/python3).
std::string DebianPython();

// A private CA and two server certificates signed by it: one for 127.0.0.1 and localhost,
// one for another name only.
struct SMailCertificates
{
    std::string strCaFile;
    std::string strCertFile;
    std::string strKeyFile;
    std::string strWrongNameCertFile;
    std::string strWrongNameKeyFile;
};

// Makes them in dir; false (with openssl's words in strError) when that fails.
bool MakeMailCertificates(const std::filesystem::path& dir, SMailCertificates& certificates,
                          std::string& strError);

struct SMailSinkOptions
{
    enum class Tls { kNone, kStartTls, kSmtps };
    Tls tls = Tls::kNone;
    std::string strCertFile;
    std::string strKeyFile;
    // A login is required when the user is not empty.
    std::string strUser;
    std::string strPassword;
};

// One message as the email parser read it: From, To, Subject, Date, X-Mailer, X-RcptTo
// (the envelope's recipients, added by the server) and Body (with "\n" line ends).
using SParsedMail = std::map<std::string, std::string>;

class CMailSink
{
  public:
    CMailSink() = default;
    ~CMailSink() { Stop(); }
    CMailSink(const CMailSink&) = delete;
    CMailSink& operator=(const CMailSink&) = delete;

    // Starts the server in dir (its maildir and log live there) and waits until it listens.
    // False with the reason in strError when it does not come up.
    bool Start(const std::filesystem::path& dir, const SMailSinkOptions& options,
               std::string& strError);
    void Stop();
    int Port() const { return m_nPort; }
    // The server's own output so far.
    std::string Log() const;

    // Waits (bounded) until this many messages have been delivered.
    bool WaitForMessages(std::size_t nCount, std::chrono::milliseconds timeout) const;
    std::size_t MessageCount() const;
    std::vector<SParsedMail> ParsedMessages() const;
    // The delivered files' bytes, one after the other.
    std::string RawMessages() const;

  private:
    std::filesystem::path m_maildir;
    CChildProcess m_server;
    bool m_bRunning = false;
    int m_nPort = 0;
};

} // namespace tf::test
