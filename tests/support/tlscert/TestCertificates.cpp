#include "tests/support/tlscert/TestCertificates.h"

#include <chrono>
#include <vector>

#include "tests/support/process/ChildProcess.h"

namespace tf::test {

namespace {

// Long enough for any test run, short enough that a copy left behind is soon worthless.
constexpr const char* kValidDays = "2";
// Making a key and signing a certificate takes milliseconds; a stuck openssl is ended.
constexpr std::chrono::milliseconds kOpensslTimeout{30000};

// A configuration of our own, so the system's openssl.cnf adds nothing.
constexpr const char* kConfig = R"(
[req]
distinguished_name = dn
prompt = no
[dn]
CN = Tallyfern test
[ca_ext]
basicConstraints = critical, CA:TRUE
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
[loopback_ext]
basicConstraints = CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = serverAuth
subjectAltName = IP:127.0.0.1, DNS:localhost
authorityKeyIdentifier = keyid
[other_ext]
basicConstraints = CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = serverAuth
subjectAltName = DNS:wrong.example
authorityKeyIdentifier = keyid
)";

} // namespace

CTestCertificates::CTestCertificates() : m_dir("tf-tls") {}

bool CTestCertificates::Openssl(const std::vector<std::string>& args)
{
    std::vector<std::string> argv{"openssl"};
    argv.insert(argv.end(), args.begin(), args.end());
    SProcessOptions options;
    options.workingDir = m_dir.Path().string();
    options.timeout = kOpensslTimeout;
    const SProcessResult result = RunProcess(argv, options);
    if (!result.started || result.exitCode != 0) {
        m_strError = "openssl " + args.front() + " failed: " + result.err;
        return false;
    }
    return true;
}

bool CTestCertificates::Make()
{
    WriteFileBytes(m_dir / "test.cnf", kConfig);
    const std::vector<std::string> newKey = {"-newkey", "ec", "-pkeyopt",
                                             "ec_paramgen_curve:prime256v1", "-nodes"};
    std::vector<std::string> ca = {"req", "-x509", "-config", "test.cnf", "-extensions", "ca_ext"};
    ca.insert(ca.end(), newKey.begin(), newKey.end());
    ca.insert(ca.end(), {"-keyout", "ca.key", "-out", "ca.pem", "-days", kValidDays, "-subj",
                         "/CN=Tallyfern test CA"});
    if (!Openssl(ca)) {
        return false;
    }
    int nSerial = 1;
    for (const char* pName : {"loopback", "other"}) {
        const std::string strName = pName;
        std::vector<std::string> request = {"req", "-new", "-config", "test.cnf"};
        request.insert(request.end(), newKey.begin(), newKey.end());
        request.insert(request.end(), {"-keyout", strName + ".key", "-out", strName + ".csr",
                                       "-subj", "/CN=Tallyfern test " + strName});
        if (!Openssl(request) ||
            !Openssl({"x509", "-req", "-in", strName + ".csr", "-CA", "ca.pem", "-CAkey", "ca.key",
                      "-set_serial", std::to_string(++nSerial), "-days", kValidDays, "-extfile",
                      "test.cnf", "-extensions", strName + "_ext", "-out", strName + ".pem"})) {
            return false;
        }
    }
    return true;
}

std::string CTestCertificates::CaFile() const
{
    return m_dir.File("ca.pem");
}

ScriptedTls CTestCertificates::ForLoopback() const
{
    return ScriptedTls{m_dir.File("loopback.pem"), m_dir.File("loopback.key")};
}

ScriptedTls CTestCertificates::ForOtherHost() const
{
    return ScriptedTls{m_dir.File("other.pem"), m_dir.File("other.key")};
}

} // namespace tf::test
