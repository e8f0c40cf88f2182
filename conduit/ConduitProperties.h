// What the conduit takes from the sync manager's property block, and where the portfolio
// file lies.
#pragma once

#include <cstdint>
#include <string>

namespace tf::conduit {

struct ConduitProperties
{
    std::string userDirectory;
    std::string localFileName;
    std::string databaseName; // at most 31 characters, so it fits every transfer block
    std::uint32_t creator = 0;
    std::uint8_t card = 0;
    std::uint32_t type = 0;
};

// Reads the fields at their offsets (untrusted: every text is cut within its field; a null
// database-name address reads as an empty name).
ConduitProperties ReadConduitProperties(const void* block);

// The user's directory followed directly by the local file name, or by "Tallyfern.kgw"
// when that name is empty.
std::string PortfolioPath(const ConduitProperties& properties);

} // namespace tf::conduit
