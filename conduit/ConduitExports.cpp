// The conduit library's four exports and its process-wide state. Nothing else leaves the
// library (exports.map), and no exception crosses these functions.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

#include "conduit/ConduitLog.h"
#include "conduit/ConduitProperties.h"
#include "conduit/ConduitSync.h"
#include "model/BlotterSpace.h"
#include "platform/synckit/Categories.h"
#include "platform/synckit/SyncKit.h"

#define TF_CONDUIT_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr const char* kConduitName = "Tallyfern";
constexpr std::uint32_t kConduitVersion = 0x101;

// GetConduitInfo's info types and results.
constexpr int kInfoName = 0;
constexpr int kInfoFrameworkVersion = 1;
constexpr int kInfoDefaultAction = 2;
constexpr long kInfoErrUnknownType = 0x1070;
constexpr long kInfoErrNoOutput = 0x1071;
constexpr long kInfoErrBadSize = 0x1073;
constexpr long kInfoErrNoInput = 0x1074;
constexpr long kInfoErrBadInput = 0x1075;
constexpr long kInfoErrNoOutputSize = 0x1077;
// What info type 0 expects in its input block.
constexpr std::uint32_t kNameRequestVersion = 1;
constexpr std::uint32_t kNameRequestSize = 80;
constexpr std::uint32_t kInfoFrameworkValue = 0x500;
constexpr std::uint32_t kInfoDefaultActionValue = 0;

// The library's application object: made when the library is loaded, with the conduit's
// one portfolio document.
class CConduitApp
{
  public:
    CConduitApp() { InitTables5DLL(); }
    CBlotterSpace m_document;
};

CConduitApp theApp;

// Clears `size` bytes and copies the name, at most size - 1 characters.
void CopyConduitName(char* out, std::size_t size)
{
    std::memset(out, 0, size);
    if (size > 0)
        std::copy_n(kConduitName, std::min(size - 1, std::strlen(kConduitName)), out);
}

} // namespace

TF_CONDUIT_EXPORT long GetConduitName(char* name, std::uint16_t length)
{
    if (name)
        CopyConduitName(name, length);
    return 0;
}

TF_CONDUIT_EXPORT std::uint32_t GetConduitVersion()
{
    return kConduitVersion;
}

TF_CONDUIT_EXPORT long GetConduitInfo(int infoType, void* input, void* output,
                                      std::uint32_t* outputSize)
{
    if (!output)
        return kInfoErrNoOutput;
    if (!outputSize)
        return kInfoErrNoOutputSize;
    switch (infoType) {
    case kInfoName: {
        if (!input)
            return kInfoErrNoInput;
        std::uint32_t request[2];
        std::memcpy(request, input, sizeof request);
        if (request[0] != kNameRequestVersion || request[1] != kNameRequestSize)
            return kInfoErrBadInput;
        CopyConduitName(static_cast<char*>(output), *outputSize);
        return 0;
    }
    case kInfoFrameworkVersion:
    case kInfoDefaultAction: {
        if (*outputSize != sizeof(std::uint32_t))
            return kInfoErrBadSize;
        std::uint32_t value =
            infoType == kInfoFrameworkVersion ? kInfoFrameworkValue : kInfoDefaultActionValue;
        std::memcpy(output, &value, sizeof value);
        return 0;
    }
    default:
        return kInfoErrUnknownType;
    }
}

TF_CONDUIT_EXPORT long OpenConduit(void* /*progressCallback*/, void* properties)
{
    if (!properties) {
        tf::conduit::LogSync(tf::conduit::kLogStart, tf::conduit::kActivityStart);
        tf::conduit::LogSync("The sync manager passed no properties; nothing was synchronized.",
                             tf::conduit::kActivityWarning);
        return 0;
    }
    try {
        tf::conduit::CConduitSync sync(theApp.m_document);
        sync.Run(tf::conduit::ReadConduitProperties(properties));
    } catch (const std::bad_alloc&) {
        tf::conduit::LogSync("Out of memory; the synchronization stopped.",
                             tf::conduit::kActivityWarning);
    } catch (...) {
        tf::conduit::LogSync("The synchronization stopped on an unexpected error.",
                             tf::conduit::kActivityWarning);
    }
    return 0;
}
