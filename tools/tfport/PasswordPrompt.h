// Reading a password for tfport: from the terminal without echo, or one line of standard
// input when that is not a terminal (a script that pipes it in).
#pragma once

#include <string>

// Shows the prompt on standard error and reads one line. False when nothing could be read
// (end of input before a line, or a line longer than any password).
bool ReadPassword(const std::string& strPrompt, std::string& strPassword);
