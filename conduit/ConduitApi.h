// The conduit library's C interface, as a sync manager sees it: the four exports with their
// signatures and names, the information requests GetConduitInfo answers and its result codes,
// and the activity codes of the entries the conduit writes to the sync log. The conduit
// (libtfcond.so), tfsync, which loads it with dlopen, and the tests share this one definition.
#pragma once

#include <cstdint>

#define TF_CONDUIT_EXPORT extern "C" __attribute__((visibility("default")))

TF_CONDUIT_EXPORT long OpenConduit(void* progressCallback, void* properties);
TF_CONDUIT_EXPORT long GetConduitName(char* name, std::uint16_t length);
TF_CONDUIT_EXPORT std::uint32_t GetConduitVersion();
TF_CONDUIT_EXPORT long GetConduitInfo(int infoType, void* input, void* output,
                                      std::uint32_t* outputSize);

namespace tf::conduit {

// The exports as a loader finds them: dlsym(handle, kOpenConduitExport) is an OpenConduitFn.
using OpenConduitFn = decltype(&OpenConduit);
using GetConduitNameFn = decltype(&GetConduitName);
using GetConduitVersionFn = decltype(&GetConduitVersion);
using GetConduitInfoFn = decltype(&GetConduitInfo);
constexpr const char* kOpenConduitExport = "OpenConduit";
constexpr const char* kGetConduitNameExport = "GetConduitName";
constexpr const char* kGetConduitVersionExport = "GetConduitVersion";
constexpr const char* kGetConduitInfoExport = "GetConduitInfo";

// GetConduitInfo's information types.
constexpr int kInfoName = 0;
constexpr int kInfoFrameworkVersion = 1;
constexpr int kInfoDefaultAction = 2;
// The input block of a name request: these two 32-bit values, in this order.
constexpr std::uint32_t kNameRequestVersion = 1;
constexpr std::uint32_t kNameRequestSize = 80;

// GetConduitInfo's results other than 0 (success).
constexpr long kInfoErrUnknownType = 0x1070;
constexpr long kInfoErrNoOutput = 0x1071;
constexpr long kInfoErrBadSize = 0x1073;
constexpr long kInfoErrNoInput = 0x1074;
constexpr long kInfoErrBadInput = 0x1075;
constexpr long kInfoErrNoOutputSize = 0x1077;

// Activity codes of the conduit's sync-log entries.
constexpr int kActivityError = 8;
constexpr int kActivityWarning = 10;
constexpr int kActivityStart = 19;
// The closing entry: the portfolio file was written back, or could not be opened for writing.
constexpr int kActivityDone = 20;
constexpr int kActivityNotSaved = 21;

} // namespace tf::conduit
