#include "platform/keyring/SecretStore.h"

#include <cstring>
#include <libsecret/secret.h>
#include <utility>

namespace {

// The one attribute that says an item is Tallyfern's mail password.
constexpr const char* kService = "tallyfern-smtp";

const SecretSchema* SmtpSchema()
{
    // Matched by the attributes alone, so items stored by other tools under the same three
    // attributes count as well.
    static const SecretSchema schema = {"org.tallyfern.SmtpPassword",
                                        SECRET_SCHEMA_DONT_MATCH_NAME,
                                        {{"service", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                         {"server", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                         {"user", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                         {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING}},
                                        0,
                                        nullptr,
                                        nullptr,
                                        nullptr,
                                        nullptr,
                                        nullptr,
                                        nullptr,
                                        nullptr};
    return &schema;
}

// Takes the error over into the result and frees it.
SKeyringResult Failed(GError* pError)
{
    SKeyringResult result;
    result.strError = pError != nullptr && pError->message != nullptr
                          ? pError->message
                          : "the keyring did not answer";
    if (pError != nullptr)
        g_error_free(pError);
    return result;
}

} // namespace

SKeyringResult LookupSmtpPassword(const std::string& strServer, const std::string& strUser)
{
    GError* pError = nullptr;
    gchar* pszPassword =
        secret_password_lookup_sync(SmtpSchema(), nullptr, &pError, "service", kService, "server",
                                    strServer.c_str(), "user", strUser.c_str(), nullptr);
    if (pError != nullptr)
        return Failed(pError);
    SKeyringResult result;
    result.bOk = true;
    if (pszPassword != nullptr) {
        result.bFound = true;
        result.strPassword = pszPassword;
        // Wipes the keyring's copy as it frees it.
        secret_password_free(pszPassword);
    }
    return result;
}

SKeyringResult StoreSmtpPassword(const std::string& strServer, const std::string& strUser,
                                 const std::string& strPassword)
{
    const std::string label = "Tallyfern mail password for " + strUser + " at " + strServer;
    GError* pError = nullptr;
    gboolean stored =
        secret_password_store_sync(SmtpSchema(), SECRET_COLLECTION_DEFAULT, label.c_str(),
                                   strPassword.c_str(), nullptr, &pError, "service", kService,
                                   "server", strServer.c_str(), "user", strUser.c_str(), nullptr);
    if (pError != nullptr || !stored)
        return Failed(pError);
    SKeyringResult result;
    result.bOk = true;
    result.bFound = true;
    return result;
}

SKeyringResult ClearSmtpPassword(const std::string& strServer, const std::string& strUser)
{
    GError* pError = nullptr;
    gboolean removed =
        secret_password_clear_sync(SmtpSchema(), nullptr, &pError, "service", kService, "server",
                                   strServer.c_str(), "user", strUser.c_str(), nullptr);
    if (pError != nullptr)
        return Failed(pError);
    SKeyringResult result;
    result.bOk = true;
    result.bFound = removed != FALSE;
    return result;
}

std::optional<std::string> KeyringSmtpPassword(const std::string& strServer,
                                               const std::string& strUser)
{
    SKeyringResult result = LookupSmtpPassword(strServer, strUser);
    if (!result.bOk || !result.bFound)
        return std::nullopt;
    return std::move(result.strPassword);
}
