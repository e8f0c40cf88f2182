// Certificates for HTTPS test servers, made when the test runs with the openssl program: a
// CA of the test's own, a server certificate for 127.0.0.1 and localhost that it signed, and
// one for another host name only. They live in a temporary folder that goes with the object.
#pragma once

#include <string>

#include "tests/support/httpserver/ScriptedHttpServer.h"
#include "tests/support/tempdir/TempDir.h"

namespace tf::test {

class CTestCertificates
{
  public:
    CTestCertificates();

    // Makes all three; false when openssl failed (Error says how).
    bool Make();
    const std::string& Error() const { return m_strError; }

    // The CA's certificate, for a client's trust store.
    std::string CaFile() const;
    // Signed by the CA for 127.0.0.1 and localhost.
    ScriptedTls ForLoopback() const;
    // Signed by the CA for wrong.example only: no client may accept it for 127.0.0.1.
    ScriptedTls ForOtherHost() const;

  private:
    bool Openssl(const std::vector<std::string>& args);

    CTempDir m_dir;
    std::string m_strError;
};

} // namespace tf::test
