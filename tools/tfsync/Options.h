// tfsync's command line: "--name value" options and a few "--flag" switches.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tfsync {

// The defaults a new user runs with.
constexpr const char* kDefaultDatabase = "TallyfernDB";
constexpr const char* kDefaultCreator = "Tlyf";
constexpr const char* kDefaultType = "DATA";

class COptions
{
  public:
    // False (with the reason in Error()) for an unknown option or a missing value.
    bool Parse(const std::vector<std::string>& args);
    bool Has(const std::string& name) const { return m_values.count(name) > 0; }
    std::string Get(const std::string& name, const std::string& fallback = {}) const;
    const std::string& Error() const { return m_strError; }

  private:
    std::map<std::string, std::string> m_values;
    std::string m_strError;
};

// Locale-independent numbers for the command line; false when the text is not one.
bool ParseNumber(const std::string& text, double& value);
bool ParseWhole(const std::string& text, long long& value);
std::string FormatNumber(double value);

// A four-character code such as "DATA"; false when the text is not four characters.
bool ParseCode(const std::string& text, std::uint32_t& code);

int RunHotSync(const COptions& options);
int RunHandheldCommand(const std::string& command, const COptions& options);

} // namespace tfsync
