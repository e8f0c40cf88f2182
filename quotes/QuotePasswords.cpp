#include "quotes/QuotePasswords.h"

#include <map>
#include <mutex>
#include <utility>

namespace {

struct SPasswords
{
    std::mutex mutex;
    std::map<std::string, HttpCredentials> remembered;
    HttpPasswordPrompt prompt;
};

SPasswords& Passwords()
{
    static SPasswords passwords;
    return passwords;
}

} // namespace

std::optional<HttpCredentials> RememberedPassword(const std::string& strHostKey)
{
    SPasswords& passwords = Passwords();
    std::lock_guard<std::mutex> lock(passwords.mutex);
    const auto it = passwords.remembered.find(strHostKey);
    if (it == passwords.remembered.end())
        return std::nullopt;
    return it->second;
}

void RememberPassword(const std::string& strHostKey, const HttpCredentials& credentials)
{
    SPasswords& passwords = Passwords();
    std::lock_guard<std::mutex> lock(passwords.mutex);
    passwords.remembered[strHostKey] = credentials;
}

void ForgetRememberedPasswords()
{
    SPasswords& passwords = Passwords();
    std::lock_guard<std::mutex> lock(passwords.mutex);
    passwords.remembered.clear();
}

void InstallPasswordPrompt(HttpPasswordPrompt prompt)
{
    SPasswords& passwords = Passwords();
    std::lock_guard<std::mutex> lock(passwords.mutex);
    passwords.prompt = std::move(prompt);
}

HttpPasswordPrompt InstalledPasswordPrompt()
{
    SPasswords& passwords = Passwords();
    std::lock_guard<std::mutex> lock(passwords.mutex);
    return passwords.prompt;
}
