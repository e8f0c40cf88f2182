// The credentials the user typed for a quote server, kept for the life of the process (in
// memory only, never saved) and sent with every later request to that server.
#pragma once

#include <optional>
#include <string>

#include "platform/net/HttpRequest.h"

// strHostKey is "host:port", as CHttpRequest::HostKey gives it.
std::optional<HttpCredentials> RememberedPassword(const std::string& strHostKey);
void RememberPassword(const std::string& strHostKey, const HttpCredentials& credentials);
void ForgetRememberedPasswords();

// The prompt every fetch asks (nullptr: a challenge counts as cancelled). Set at start by
// the desktop program; read by the fetching threads.
void InstallPasswordPrompt(HttpPasswordPrompt prompt);
HttpPasswordPrompt InstalledPasswordPrompt();
