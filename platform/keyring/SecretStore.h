// The mail password in the desktop's keyring (the Secret Service, through libsecret), kept
// under the attributes service=tallyfern-smtp, server=HOST:PORT and user=NAME. Items that
// other tools stored under the same attributes are found too. The calls block while the
// keyring answers (or asks the user to unlock it); any thread may make them.
#pragma once

#include <optional>
#include <string>

struct SKeyringResult
{
    // False when the keyring could not be asked (no session bus, no keyring running, the
    // user refused to unlock it); strError says why.
    bool bOk = false;
    // Lookup: an item was found. Clear: an item was removed.
    bool bFound = false;
    // Lookup only. A secret: never to be logged or shown.
    std::string strPassword;
    std::string strError;
};

SKeyringResult LookupSmtpPassword(const std::string& strServer, const std::string& strUser);
SKeyringResult StoreSmtpPassword(const std::string& strServer, const std::string& strUser,
                                 const std::string& strPassword);
SKeyringResult ClearSmtpPassword(const std::string& strServer, const std::string& strUser);

// The stored password, or nothing when none is stored or the keyring cannot be asked: the
// form the mailers' password lookup takes.
std::optional<std::string> KeyringSmtpPassword(const std::string& strServer,
                                               const std::string& strUser);
