#include "tools/tfsync/Options.h"

#include <charconv>
#include <set>

namespace tfsync {

namespace {
const std::set<std::string> kSwitches = {"--private", "--public"};
const std::set<std::string> kValued = {
    "--handheld", "--user-dir", "--local-file", "--db",       "--creator", "--type",
    "--card",     "--conduit",  "--symbol",     "--quantity", "--price",   "--last",
    "--change",   "--fee",      "--country",    "--category", "--uid"};
} // namespace

bool COptions::Parse(const std::vector<std::string>& args)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (kSwitches.count(arg)) {
            m_values[arg] = "1";
        } else if (kValued.count(arg)) {
            if (i + 1 >= args.size()) {
                m_strError = arg;
                m_strError.append(" needs a value");
                return false;
            }
            m_values[arg] = args[++i];
        } else {
            m_strError = "unknown argument: ";
            m_strError.append(arg);
            return false;
        }
    }
    return true;
}

std::string COptions::Get(const std::string& name, const std::string& fallback) const
{
    auto it = m_values.find(name);
    return it == m_values.end() ? fallback : it->second;
}

bool ParseNumber(const std::string& text, double& value)
{
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+')
        ++begin;
    auto [ptr, ec] = std::from_chars(begin, end, value, std::chars_format::general);
    return ec == std::errc() && ptr == end && begin != end;
}

bool ParseWhole(const std::string& text, long long& value)
{
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty();
}

std::string FormatNumber(double value)
{
    char buffer[64];
    auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, ptr) : std::string("?");
}

bool ParseCode(const std::string& text, std::uint32_t& code)
{
    if (text.size() != 4)
        return false;
    code = 0;
    for (char c : text)
        code = (code << 8) | static_cast<unsigned char>(c);
    return true;
}

} // namespace tfsync
