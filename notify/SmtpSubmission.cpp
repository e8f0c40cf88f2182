#include "notify/SmtpSubmission.h"

#include <algorithm>
#include <cstring>
#include <curl/curl.h>
#include <fstream>
#include <memory>

#include "notify/MailText.h"
#include "notify/SmtpServerSetting.h"
#include "notify/SmtpTranscript.h"
#include "notify/SubmissionFailure.h"
#include "platform/net/CurlGlobal.h"
#include "platform/net/Socket.h"

namespace {

// The X-Mailer of every message, as the plain client writes it.
constexpr const char* kXMailer = "RD Mail";
// EHLO names the machine; a name that could not go into a URL is replaced by this.
constexpr const char* kFallbackHostName = "localhost";
// The local name is cut to this, as for the plain client's HELO.
constexpr std::size_t kHostNameBuffer = 80;

struct EasyDeleter
{
    void operator()(CURL* p) const { curl_easy_cleanup(p); }
};
struct SlistDeleter
{
    void operator()(curl_slist* p) const { curl_slist_free_all(p); }
};

// The message as libcurl reads it: header and body, handed out in pieces.
struct SUpload
{
    std::string m_sBytes;
    std::size_t m_nSent = 0;
};

std::size_t ReadUpload(char* pBuffer, std::size_t nSize, std::size_t nCount, void* pUser)
{
    auto* pUpload = static_cast<SUpload*>(pUser);
    std::size_t n = std::min(nSize * nCount, pUpload->m_sBytes.size() - pUpload->m_nSent);
    // libcurl's upload buffer takes bytes, not a terminated text.
    std::copy_n(pUpload->m_sBytes.data() + pUpload->m_nSent, n, pBuffer);
    pUpload->m_nSent += n;
    return n;
}

int OnDebug(CURL*, curl_infotype type, char* pData, std::size_t nSize, void* pUser)
{
    // No exception may unwind through libcurl.
    try {
        auto* pTranscript = static_cast<CSmtpTranscript*>(pUser);
        std::string_view text(pData, nSize);
        switch (type) {
        case CURLINFO_HEADER_OUT:
            pTranscript->OnSent(text);
            break;
        case CURLINFO_HEADER_IN:
            pTranscript->OnReceived(text);
            break;
        case CURLINFO_TEXT:
            pTranscript->OnNote(text);
            break;
        default:
            // The message itself and the TLS records are not part of the transcript.
            break;
        }
    } catch (...) {
    }
    return 0;
}

std::string EhloName()
{
    char szName[kHostNameBuffer];
    if (!CSocket::GetLocalHostName(szName, sizeof(szName)) || !IsPlainHostName(szName))
        return kFallbackHostName;
    return szName;
}

std::string SubmissionUrl(const CSmtpSubmissionOptions& options)
{
    std::string host = options.m_sHost.find(':') != std::string::npos ? "[" + options.m_sHost + "]"
                                                                      : options.m_sHost;
    // The path names the machine in EHLO.
    const bool bTls = options.m_security == CSmtpSubmissionOptions::Security::kTls;
    return std::string(bTls ? "smtps://" : "smtp://") + host + ":" +
           std::to_string(options.m_nPort) + "/" + EhloName();
}

long Milliseconds(std::chrono::milliseconds value)
{
    return static_cast<long>(value.count());
}

long WholeSecondsAtLeastOne(std::chrono::milliseconds value)
{
    return std::max(1L, static_cast<long>((value.count() + 999) / 1000));
}

} // namespace

CSmtpSubmission::CSmtpSubmission(CSmtpSubmissionOptions options) : m_options(std::move(options))
{
    if (!m_options.m_clock)
        m_options.m_clock = [] { return std::time(nullptr); };
}

bool CSmtpSubmission::Connect()
{
    if (m_bConnected)
        return true;
    if (!IsPlainHostName(m_options.m_sHost)) {
        m_sLastError = "Unable to connect to server";
        return false;
    }
    m_bConnected = true;
    return true;
}

bool CSmtpSubmission::Disconnect()
{
    // SendMail's conversation has ended with QUIT already.
    m_bConnected = false;
    return true;
}

bool CSmtpSubmission::SendMail(CMailMessage& message)
{
    if (!m_bConnected) {
        m_sLastError = "Must be connected";
        return false;
    }
    if (message.GetNumRecipients() == 0) {
        m_sLastError = "No Recipients";
        return false;
    }
    message.m_tDateTime = m_options.m_clock();
    message.m_sHeader = MailHeaderBlock(message, message.m_tDateTime, kXMailer);
    if (!MailEndsWithCrLf(message.m_sBody))
        message.m_sBody += "\r\n";
    // libcurl doubles the leading dots itself and ends the data; the lines need CR LF.
    SUpload upload{message.m_sHeader + MailCrLfLines(message.m_sBody), 0};

    EnsureCurlGlobal();
    std::unique_ptr<CURL, EasyDeleter> pCurl(curl_easy_init());
    if (!pCurl) {
        m_sLastError = "SMTP: out of memory";
        return false;
    }
    curl_slist* pRecipients = nullptr;
    for (const CMailRecipient& recipient : message.m_aRecipients) {
        curl_slist* pMore =
            curl_slist_append(pRecipients, MailCommandSafe(recipient.m_sEmailAddress).c_str());
        if (pMore == nullptr) {
            curl_slist_free_all(pRecipients);
            m_sLastError = "SMTP: out of memory";
            return false;
        }
        pRecipients = pMore;
    }
    std::unique_ptr<curl_slist, SlistDeleter> pRecipientList(pRecipients);

    std::ofstream trace;
    if (!m_options.m_sTraceFile.empty())
        trace.open(m_options.m_sTraceFile, std::ios::app);
    CSmtpTranscript transcript(trace.is_open() ? &trace : nullptr);

    CURL* h = pCurl.get();
    const std::string url = SubmissionUrl(m_options);
    const std::string from = MailCommandSafe(message.m_sFrom);
    const bool bLogin = !m_options.m_sPassword.empty();
    char szError[CURL_ERROR_SIZE] = {};
    // Every option must take: one this libcurl lacks (TLS, the callbacks) would silently
    // change what the conversation does.
    CURLcode rcSetup = CURLE_OK;
    const auto Set = [&](CURLoption option, auto value) {
        if (rcSetup == CURLE_OK)
            rcSetup = curl_easy_setopt(h, option, value);
    };
    Set(CURLOPT_ERRORBUFFER, szError);
    Set(CURLOPT_URL, url.c_str());
    Set(CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    Set(CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
    Set(CURLOPT_SSL_VERIFYPEER, 1L);
    Set(CURLOPT_SSL_VERIFYHOST, 2L);
    if (!m_options.m_sCaFile.empty())
        Set(CURLOPT_CAINFO, m_options.m_sCaFile.c_str());
    if (bLogin) {
        Set(CURLOPT_USERNAME, m_options.m_sUser.c_str());
        Set(CURLOPT_PASSWORD, m_options.m_sPassword.c_str());
    }
    Set(CURLOPT_MAIL_FROM, from.c_str());
    Set(CURLOPT_MAIL_RCPT, pRecipientList.get());
    // A refused recipient does not stop the message to the others.
    Set(CURLOPT_MAIL_RCPT_ALLLOWFAILS, 1L);
    Set(CURLOPT_UPLOAD, 1L);
    Set(CURLOPT_READFUNCTION, &ReadUpload);
    Set(CURLOPT_READDATA, &upload);
    Set(CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(upload.m_sBytes.size()));
    Set(CURLOPT_NOSIGNAL, 1L);
    // QUIT is said inside this transfer; no connection outlives it.
    Set(CURLOPT_FORBID_REUSE, 1L);
    Set(CURLOPT_CONNECTTIMEOUT_MS, Milliseconds(m_options.m_connectTimeout));
    Set(CURLOPT_TIMEOUT_MS, Milliseconds(m_options.m_conversationLimit));
    Set(CURLOPT_SERVER_RESPONSE_TIMEOUT, WholeSecondsAtLeastOne(m_options.m_stallTimeout));
    Set(CURLOPT_LOW_SPEED_LIMIT, 1L);
    Set(CURLOPT_LOW_SPEED_TIME, WholeSecondsAtLeastOne(m_options.m_stallTimeout));
    Set(CURLOPT_VERBOSE, 1L);
    Set(CURLOPT_DEBUGFUNCTION, &OnDebug);
    Set(CURLOPT_DEBUGDATA, &transcript);
    if (rcSetup != CURLE_OK) {
        m_sLastError = std::string("SMTP: ") + curl_easy_strerror(rcSetup);
        return false;
    }

    const CURLcode rc = curl_easy_perform(h);
    // The password is not needed past the transfer.
    curl_easy_setopt(h, CURLOPT_PASSWORD, "");
    m_sLastReply =
        transcript.MessageReply().empty() ? transcript.LastReply() : transcript.MessageReply();
    if (rc == CURLE_OK)
        return true;

    CSubmissionFailure failure;
    failure.m_nCurlCode = rc;
    failure.m_sCurlError = szError;
    failure.m_bLoggingIn = bLogin;
    failure.m_sUser = m_options.m_sUser;
    failure.m_sServerKey = SmtpServerKey({m_options.m_sHost, m_options.m_nPort, true});
    failure.m_sCaFile = m_options.m_sCaFile;
    m_sLastError = SubmissionFailureText(failure, transcript);
    return false;
}
