// One HotSync: load the conduit, ask its name, version and information, lay out the
// property block, run OpenConduit against the folder handheld and print the log.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/synckit/FolderHandheld.h"
#include "platform/synckit/SyncKit.h"
#include "platform/synckit/SyncLog.h"
#include "tools/tfsync/Messages.h"
#include "tools/tfsync/Options.h"

namespace tfsync {

namespace {
using OpenConduitFn = long (*)(void*, void*);
using GetConduitNameFn = long (*)(char*, std::uint16_t);
using GetConduitVersionFn = std::uint32_t (*)();
using GetConduitInfoFn = long (*)(int, void*, void*, std::uint32_t*);

// The conduit's file name, looked up as the loader looks up a library this program links.
constexpr const char* kConduitLibrary = "libtfcond.so";
// The activity code of the conduit's closing entry when it wrote the portfolio back.
constexpr int kActivityPortfolioWritten = 20;
// Texts in the property block must fit their 256-byte fields with the terminator.
constexpr std::size_t kPropertyTextMax = 255;

class CConduitLibrary
{
  public:
    ~CConduitLibrary()
    {
        if (m_pHandle)
            dlclose(m_pHandle);
    }
    bool Load(const std::string& path)
    {
        if (m_pHandle)
            dlclose(m_pHandle);
        m_pHandle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!m_pHandle) {
            m_strError = dlerror();
            return false;
        }
        open = reinterpret_cast<OpenConduitFn>(dlsym(m_pHandle, "OpenConduit"));
        name = reinterpret_cast<GetConduitNameFn>(dlsym(m_pHandle, "GetConduitName"));
        version = reinterpret_cast<GetConduitVersionFn>(dlsym(m_pHandle, "GetConduitVersion"));
        info = reinterpret_cast<GetConduitInfoFn>(dlsym(m_pHandle, "GetConduitInfo"));
        if (!open || !name || !version || !info) {
            m_strError = path + " is not a conduit: an export is missing";
            return false;
        }
        return true;
    }
    const std::string& Error() const { return m_strError; }

    OpenConduitFn open = nullptr;
    GetConduitNameFn name = nullptr;
    GetConduitVersionFn version = nullptr;
    GetConduitInfoFn info = nullptr;

  private:
    void* m_pHandle = nullptr;
    std::string m_strError;
};

bool EnsureFolder(const std::string& path)
{
    struct stat info
    {
    };
    if (::stat(path.c_str(), &info) == 0)
        return S_ISDIR(info.st_mode);
    return ::mkdir(path.c_str(), 0755) == 0;
}

void CopyField(char* field, std::size_t size, const std::string& text)
{
    std::memset(field, 0, size);
    std::copy_n(text.data(), std::min(text.size(), size - 1), field);
}
} // namespace

int RunHotSync(const COptions& options)
{
    std::string handheldDir = options.Get("--handheld");
    std::string userDir = options.Get("--user-dir");
    std::string localFile = options.Get("--local-file");
    std::string database = options.Get("--db", kDefaultDatabase);
    if (userDir.empty()) {
        return Fail(2, "--user-dir DIR is needed for a HotSync");
    }
    // The conduit appends the file name directly to the folder.
    if (userDir.back() != '/')
        userDir += '/';
    std::uint32_t creator = 0;
    std::uint32_t type = 0;
    long long card = 0;
    if (!ParseCode(options.Get("--creator", kDefaultCreator), creator) ||
        !ParseCode(options.Get("--type", kDefaultType), type)) {
        return Fail(2, "creator and type codes have four characters");
    }
    if (!ParseWhole(options.Get("--card", "0"), card) || card < 0 || card > 255) {
        return Fail(2, "--card takes a number from 0 to 255");
    }
    if (userDir.size() > kPropertyTextMax || localFile.size() > kPropertyTextMax) {
        return Fail(2, "the user folder and the file name must be shorter than 256 characters");
    }
    if (database.empty() || database.size() >= SK_DB_NAME_SIZE) {
        return Fail(2, "the database name takes 1 to 31 characters");
    }
    if (!EnsureFolder(handheldDir)) {
        return Fail(1, handheldDir + " is not a folder that can be used: " + std::strerror(errno));
    }

    CConduitLibrary conduit;
    std::vector<std::string> candidates;
    if (options.Has("--conduit")) {
        candidates.push_back(options.Get("--conduit"));
    } else {
        // Found through this program's own run path: the build tree's conduit for the
        // program in the build tree, the installed one (beside the installed kit) for an
        // installed program. Never a path fixed when the program was built.
        candidates.push_back(kConduitLibrary);
    }
    std::string firstError;
    bool loaded = false;
    for (const std::string& candidate : candidates) {
        if (conduit.Load(candidate)) {
            loaded = true;
            break;
        }
        if (firstError.empty())
            firstError = conduit.Error();
    }
    if (!loaded) {
        return Fail(1, "cannot load the conduit: " + firstError);
    }

    char name[64];
    conduit.name(name, sizeof name);
    std::uint32_t version = conduit.version();
    std::uint32_t request[2] = {1, 80};
    char infoName[80];
    std::uint32_t infoSize = sizeof infoName;
    long nameStatus = conduit.info(0, request, infoName, &infoSize);
    std::uint32_t frameworkVersion = 0;
    std::uint32_t defaultAction = 0;
    std::uint32_t valueSize = sizeof frameworkVersion;
    long versionStatus = conduit.info(1, nullptr, &frameworkVersion, &valueSize);
    valueSize = sizeof defaultAction;
    long actionStatus = conduit.info(2, nullptr, &defaultAction, &valueSize);
    std::printf("Conduit: %s, version %u.%u (0x%X)\n", name, version >> 8, version & 0xFF, version);
    if (nameStatus == 0)
        std::printf("Conduit information: name \"%s\"", infoName);
    else
        std::printf("Conduit information: name unavailable (0x%lX)", nameStatus);
    if (versionStatus == 0)
        std::printf(", framework 0x%X", frameworkVersion);
    if (actionStatus == 0)
        std::printf(", default action %u", defaultAction);
    std::printf("\n");

    SkConduitProperties properties{};
    properties.blockSize = sizeof properties;
    CopyField(properties.userDirectory, sizeof properties.userDirectory, userDir);
    CopyField(properties.localFileName, sizeof properties.localFileName, localFile);
    properties.databaseName = database.c_str();
    properties.creator = creator;
    properties.card = static_cast<std::uint8_t>(card);
    properties.type = type;

    tf::synckit::CFolderHandheld handheld(handheldDir);
    tf::synckit::SelectHandheld(&handheld);
    tf::synckit::ClearLog();
    long result = conduit.open(nullptr, &properties);
    tf::synckit::SelectHandheld(nullptr);

    std::printf("HotSync log:\n");
    bool written = false;
    for (const tf::synckit::LogEntry& entry : tf::synckit::LogEntries()) {
        std::printf("  [%d] %s\n", entry.activity, entry.text.c_str());
        if (entry.activity == kActivityPortfolioWritten)
            written = true;
    }
    if (!handheld.LastError().empty())
        std::printf("Handheld: %s\n", handheld.LastError().c_str());
    std::printf("OpenConduit returned %ld\n", result);
    return written ? 0 : 1;
}

} // namespace tfsync
