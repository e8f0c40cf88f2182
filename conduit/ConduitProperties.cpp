#include "conduit/ConduitProperties.h"

#include <cstddef>
#include <cstring>

#include "platform/synckit/SyncKit.h"

namespace tf::conduit {

namespace {
std::string FieldText(const char* field, std::size_t width)
{
    return std::string(field, strnlen(field, width));
}
} // namespace

ConduitProperties ReadConduitProperties(const void* block)
{
    ConduitProperties properties;
    if (!block)
        return properties;
    // Field by field: the block may end right after the last field the conduit reads.
    const auto* bytes = static_cast<const unsigned char*>(block);
    properties.userDirectory = FieldText(
        reinterpret_cast<const char*>(bytes + offsetof(SkConduitProperties, userDirectory)),
        sizeof(SkConduitProperties::userDirectory));
    properties.localFileName = FieldText(
        reinterpret_cast<const char*>(bytes + offsetof(SkConduitProperties, localFileName)),
        sizeof(SkConduitProperties::localFileName));
    const char* name = nullptr;
    std::memcpy(&name, bytes + offsetof(SkConduitProperties, databaseName), sizeof name);
    if (name)
        properties.databaseName = FieldText(name, SK_DB_NAME_SIZE - 1);
    std::memcpy(&properties.creator, bytes + offsetof(SkConduitProperties, creator),
                sizeof properties.creator);
    properties.card = bytes[offsetof(SkConduitProperties, card)];
    std::memcpy(&properties.type, bytes + offsetof(SkConduitProperties, type),
                sizeof properties.type);
    return properties;
}

std::string PortfolioPath(const ConduitProperties& properties)
{
    if (properties.localFileName.empty())
        return properties.userDirectory + "Tallyfern" + ".kgw";
    return properties.userDirectory + properties.localFileName;
}

} // namespace tf::conduit
