// The conduit library's four exports and its process-wide state. Nothing else leaves the
// library (exports.map), and no exception crosses these functions.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

#include "conduit/ConduitApi.h"
#include "conduit/ConduitLog.h"
#include "conduit/ConduitProperties.h"
#include "conduit/ConduitSync.h"
#include "model/BlotterSpace.h"
#include "platform/synckit/Categories.h"
#include "platform/synckit/SyncKit.h"

using namespace tf::conduit;

namespace {

constexpr const char* kConduitName = "Tallyfern";
constexpr std::uint32_t kConduitVersion = 0x101;
// The answers to information types 1 and 2.
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
        LogSync(kLogStart, kActivityStart);
        LogSync("The sync manager passed no properties; nothing was synchronized.",
                kActivityWarning);
        return 0;
    }
    try {
        CConduitSync sync(theApp.m_document);
        sync.Run(ReadConduitProperties(properties));
    } catch (const std::bad_alloc&) {
        LogSync("Out of memory; the synchronization stopped.", kActivityWarning);
    } catch (...) {
        LogSync("The synchronization stopped on an unexpected error.", kActivityWarning);
    }
    return 0;
}
