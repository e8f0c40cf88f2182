#include "notify/SubmissionFailure.h"

#include <curl/curl.h>

namespace {

using Step = CSmtpTranscript::Step;

std::string Coded(int nCode, const char* pszText)
{
    return std::to_string(nCode) + ":" + pszText;
}

bool Mentions(const std::string& text, const char* pszWords)
{
    return text.find(pszWords) != std::string::npos;
}

// A refusal or a broken conversation, judged by the step it happened at.
std::string StepFailure(const CSubmissionFailure& failure, const CSmtpTranscript& transcript)
{
    const int code = transcript.LastCode();
    if (code == 0)
        return transcript.SawGreeting() ? "Socket Error" : "Server didn't respond.";
    switch (transcript.LastStep()) {
    case Step::kGreeting:
        return Coded(code, "SMTP server not available");
    case Step::kAuth:
        return Coded(code, "login refused");
    case Step::kMail:
        // 530: the server wants a login this conversation did not make.
        if (code == 530 && !failure.m_bLoggingIn)
            return Coded(code, "login required, and no password is stored for ") + failure.m_sUser +
                   " at " + failure.m_sServerKey;
        return Coded(code, "sender refused");
    case Step::kRcpt:
        return Coded(code, "recipient refused");
    case Step::kData:
        return Coded(code, "SMTP server not ready for data");
    case Step::kMessage:
        return Coded(code, "message refused");
    case Step::kStartTls:
        return Coded(code, "TLS: the server refused STARTTLS");
    case Step::kEhlo:
    case Step::kOther:
        break;
    }
    return Coded(code, "SMTP server error");
}

} // namespace

std::string SubmissionFailureText(const CSubmissionFailure& failure,
                                  const CSmtpTranscript& transcript)
{
    switch (static_cast<CURLcode>(failure.m_nCurlCode)) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
        return "Unable to connect to server";
    case CURLE_OPERATION_TIMEDOUT:
        if (transcript.SawGreeting())
            return "SMTP server stopped answering (time-out)";
        // libcurl says "Connection timed out" while the connect itself was under way.
        if (Mentions(failure.m_sCurlError, "onnect"))
            return "Unable to connect to server";
        return "Server didn't respond.";
    case CURLE_USE_SSL_FAILED:
        if (transcript.LastStep() == Step::kStartTls && transcript.LastCode() != 0)
            return Coded(transcript.LastCode(), "TLS: the server refused STARTTLS");
        return "TLS: the server does not offer STARTTLS";
    case CURLE_PEER_FAILED_VERIFICATION:
        if (Mentions(failure.m_sCurlError, "host name") ||
            Mentions(failure.m_sCurlError, "hostname"))
            return "TLS: certificate is for another server name";
        return "TLS: certificate not trusted";
    case CURLE_SSL_CACERT_BADFILE:
        return failure.m_sCaFile.empty()
                   ? "TLS: cannot read the system's certificate store"
                   : "TLS: cannot read the certificate file " + failure.m_sCaFile;
    case CURLE_SSL_CONNECT_ERROR:
        if (Mentions(failure.m_sCurlError, "certificate verify failed"))
            return "TLS: certificate not trusted";
        return "TLS: handshake failed";
    case CURLE_LOGIN_DENIED:
        if (transcript.LastStep() == Step::kAuth && transcript.LastCode() != 0)
            return Coded(transcript.LastCode(), "login refused");
        return "login refused: the server offers no login method that can be used";
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_GOT_NOTHING:
        return StepFailure(failure, transcript);
    default:
        break;
    }
    return std::string("SMTP: ") + curl_easy_strerror(static_cast<CURLcode>(failure.m_nCurlCode));
}
