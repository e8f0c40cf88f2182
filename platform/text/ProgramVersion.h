// The version every Tallyfern program answers to --version with, as the text "1.85"; the same
// number is stamped into every saved portfolio (kProgramVersion).
#pragma once

#include <string>

inline constexpr const char* kProgramVersionText = "1.85";

// The line a program prints for --version: its name, a blank and the version.
inline std::string VersionLine(const std::string& strProgram)
{
    return strProgram + " " + kProgramVersionText + "\n";
}
