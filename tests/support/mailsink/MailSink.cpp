#include "tests/support/mailsink/MailSink.h"

#include <csignal>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "tests/support/tempdir/TempDir.h"

namespace tf::test {

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// Python and its event loop take a moment to start on a busy machine.
constexpr auto kStartLimit = 20s;
constexpr auto kStopLimit = 5s;
constexpr auto kPollGap = 50ms;
// Certificates for a test run need to outlive only the run.
constexpr const char* kDays = "2";

std::string ScriptPath(const char* pszName)
{
    return std::string(TF_MAIL_SINK_DIR) + "/" + pszName;
}

bool RunOpenssl(const std::vector<std::string>& args, std::string& strError)
{
    std::vector<std::string> argv = {"openssl"};
    argv.insert(argv.end(), args.begin(), args.end());
    SProcessResult result = RunProcess(argv);
    if (result.exitCode == 0)
        return true;
    strError = "openssl " + args.front() + " failed: " + result.err;
    return false;
}

// An EC key is made in milliseconds; RSA would cost a noticeable part of a test.
std::vector<std::string> NewKey(const fs::path& key)
{
    return {"-newkey", "ec",      "-pkeyopt",  "ec_paramgen_curve:prime256v1",
            "-nodes",  "-keyout", key.string()};
}

bool SignedCertificate(const fs::path& dir, const std::string& name, const std::string& altNames,
                       std::string& strCert, std::string& strKey, std::string& strError)
{
    fs::path key = dir / (name + ".key");
    fs::path request = dir / (name + ".csr");
    fs::path cert = dir / (name + ".pem");
    fs::path ext = dir / (name + ".ext");
    WriteFileBytes(ext, "subjectAltName=" + altNames + "\n");
    std::vector<std::string> req = {"req"};
    for (const std::string& arg : NewKey(key))
        req.push_back(arg);
    req.insert(req.end(), {"-out", request.string(), "-subj", "/CN=" + name});
    if (!RunOpenssl(req, strError) ||
        !RunOpenssl({"x509", "-req", "-in", request.string(), "-CA", (dir / "ca.pem").string(),
                     "-CAkey", (dir / "ca.key").string(), "-CAcreateserial", "-out", cert.string(),
                     "-days", kDays, "-extfile", ext.string()},
                    strError))
        return false;
    strCert = cert.string();
    strKey = key.string();
    return true;
}

std::string Unhex(const std::string& hex)
{
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

} // namespace

std::string DebianPython()
{
    const char* path = std::getenv("TF_DEBIAN_PYTHON");
    return path && *path ? path : "/usr/bin/python3";
}

bool MakeMailCertificates(const fs::path& dir, SMailCertificates& certificates,
                          std::string& strError)
{
    std::vector<std::string> ca = {"req", "-x509"};
    for (const std::string& arg : NewKey(dir / "ca.key"))
        ca.push_back(arg);
    ca.insert(ca.end(), {"-out", (dir / "ca.pem").string(), "-days", kDays, "-subj",
                         "/CN=Tallyfern Test CA"});
    if (!RunOpenssl(ca, strError))
        return false;
    certificates.strCaFile = (dir / "ca.pem").string();
    return SignedCertificate(dir, "server", "IP:127.0.0.1,DNS:localhost", certificates.strCertFile,
                             certificates.strKeyFile, strError) &&
           SignedCertificate(dir, "elsewhere", "DNS:mail.elsewhere.test",
                             certificates.strWrongNameCertFile, certificates.strWrongNameKeyFile,
                             strError);
}

bool CMailSink::Start(const fs::path& dir, const SMailSinkOptions& options, std::string& strError)
{
    m_maildir = dir / "maildir";
    m_nPort = FreeLoopbackPort();
    std::vector<std::string> argv = {DebianPython(), ScriptPath("mail_sink.py"),
                                     "--port",       std::to_string(m_nPort),
                                     "--maildir",    m_maildir.string()};
    if (options.tls == SMailSinkOptions::Tls::kStartTls)
        argv.insert(argv.end(), {"--starttls", options.strCertFile, options.strKeyFile});
    if (options.tls == SMailSinkOptions::Tls::kSmtps)
        argv.insert(argv.end(), {"--smtps", options.strCertFile, options.strKeyFile});
    if (!options.strUser.empty())
        argv.insert(argv.end(), {"--login", options.strUser, options.strPassword});
    if (!m_server.Start(argv)) {
        strError = "cannot start " + DebianPython();
        return false;
    }
    m_bRunning = true;
    auto deadline = std::chrono::steady_clock::now() + kStartLimit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (m_server.Output().find("listening") != std::string::npos)
            return true;
        if (!m_server.Running())
            break;
        std::this_thread::sleep_for(kPollGap);
    }
    strError = "aiosmtpd did not start: " + m_server.Output() + m_server.Errors();
    Stop();
    return false;
}

void CMailSink::Stop()
{
    if (!m_bRunning)
        return;
    m_server.Signal(SIGTERM);
    m_server.Wait(kStopLimit);
    m_bRunning = false;
}

std::string CMailSink::Log() const
{
    return m_server.Output() + m_server.Errors();
}

std::size_t CMailSink::MessageCount() const
{
    std::error_code error;
    fs::path fresh = m_maildir / "new";
    if (!fs::is_directory(fresh, error))
        return 0;
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(fresh, error), fs::directory_iterator()));
}

bool CMailSink::WaitForMessages(std::size_t nCount, std::chrono::milliseconds timeout) const
{
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (MessageCount() < nCount && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(kPollGap);
    return MessageCount() >= nCount;
}

std::vector<SParsedMail> CMailSink::ParsedMessages() const
{
    std::vector<SParsedMail> messages;
    if (MessageCount() == 0)
        return messages;
    SProcessResult result =
        RunProcess({DebianPython(), ScriptPath("parse_maildir.py"), (m_maildir / "new").string()});
    std::istringstream lines(result.out);
    SParsedMail fields;
    std::string key;
    std::string hex;
    while (lines >> key >> hex) {
        if (key == "End") {
            messages.push_back(fields);
            fields.clear();
        } else {
            fields[key] = Unhex(hex);
        }
    }
    return messages;
}

std::string CMailSink::RawMessages() const
{
    std::string all;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(m_maildir / "new", error))
        all += ReadFileBytes(entry.path());
    return all;
}

} // namespace tf::test
