// The text for the user when a libcurl mail transfer failed: what failed, in the words and
// the "%d:%s" form of the SMTP client's own failures where a reply code is known.
#pragma once

#include <string>

#include "notify/SmtpTranscript.h"

struct CSubmissionFailure
{
    // libcurl's result code and the text of its error buffer (may be empty).
    int m_nCurlCode = 0;
    std::string m_sCurlError;
    // Whether a login was attempted, and for whom (for the text of a refused sender).
    bool m_bLoggingIn = false;
    std::string m_sUser;
    std::string m_sServerKey;
    std::string m_sCaFile;
};

std::string SubmissionFailureText(const CSubmissionFailure& failure,
                                  const CSmtpTranscript& transcript);
