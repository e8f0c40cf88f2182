// One HotSync: load the conduit, ask its name, version and information, lay out the
// property block, run OpenConduit against the folder handheld and print the log.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "conduit/ConduitApi.h"
#include "platform/synckit/FolderHandheld.h"
#include "platform/synckit/SyncKit.h"
#include "platform/synckit/SyncLog.h"
#include "tools/tfsync/Messages.h"
#include "tools/tfsync/Options.h"

namespace tfsync {

namespace {
using tf::conduit::GetConduitInfoFn;
using tf::conduit::GetConduitNameFn;
using tf::conduit::GetConduitVersionFn;
using tf::conduit::OpenConduitFn;

// The conduit's file name, looked up as the loader looks up a library this program links.
constexpr const char* kConduitLibrary = "libtfcond.so";
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
        open = reinterpret_cast<OpenConduitFn>(dlsym(m_pHandle, tf::conduit::kOpenConduitExport));
        name = reinterpret_cast<GetConduitNameFn>(
            dlsym(m_pHandle, tf::conduit::kGetConduitNameExport));
        version = reinterpret_cast<GetConduitVersionFn>(
            dlsym(m_pHandle, tf::conduit::kGetConduitVersionExport));
        info = reinterpret_cast<GetConduitInfoFn>(
            dlsym(m_pHandle, tf::conduit::kGetConduitInfoExport));
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

// What a HotSync runs with, from the command line.
struct SHotSyncSetup
{
    std::string handheldDir;
    std::string userDir; // ends in "/": the conduit appends the file name directly
    std::string localFile;
    std::string database;
    std::uint32_t creator = 0;
    std::uint32_t type = 0;
    std::uint8_t card = 0;
};

// Reads and checks the HotSync's options; 0, or the exit code of a refusal (said on
// standard error).
int ReadHotSyncOptions(const COptions& options, SHotSyncSetup& setup)
{
    setup.handheldDir = options.Get("--handheld");
    setup.userDir = options.Get("--user-dir");
    setup.localFile = options.Get("--local-file");
    setup.database = options.Get("--db", kDefaultDatabase);
    if (setup.userDir.empty())
        return Fail(2, "--user-dir DIR is needed for a HotSync");
    if (setup.userDir.back() != '/')
        setup.userDir += '/';
    long long card = 0;
    if (!ParseCode(options.Get("--creator", kDefaultCreator), setup.creator) ||
        !ParseCode(options.Get("--type", kDefaultType), setup.type))
        return Fail(2, "creator and type codes have four characters");
    if (!ParseWhole(options.Get("--card", "0"), card) || card < 0 || card > 255)
        return Fail(2, "--card takes a number from 0 to 255");
    setup.card = static_cast<std::uint8_t>(card);
    if (setup.userDir.size() > kPropertyTextMax || setup.localFile.size() > kPropertyTextMax)
        return Fail(2, "the user folder and the file name must be shorter than 256 characters");
    if (setup.database.empty() || setup.database.size() >= SK_DB_NAME_SIZE)
        return Fail(2, "the database name takes 1 to 31 characters");
    return 0;
}

// Loads the conduit named by --conduit, else libtfcond.so; false with the reason on standard
// error.
bool LoadConduit(const COptions& options, CConduitLibrary& conduit)
{
    // Without --conduit it is found through this program's own run path: the build tree's
    // conduit for the program in the build tree, the installed one (beside the installed kit)
    // for an installed program. Never a path fixed when the program was built.
    const std::string path =
        options.Has("--conduit") ? options.Get("--conduit") : std::string(kConduitLibrary);
    if (conduit.Load(path))
        return true;
    Fail(1, "cannot load the conduit: " + conduit.Error());
    return false;
}

// Asks the conduit its name, version and information, as a sync manager does before it
// runs one, and prints the answers.
void PrintConduitInformation(const CConduitLibrary& conduit)
{
    char name[64];
    conduit.name(name, sizeof name);
    std::uint32_t version = conduit.version();
    std::uint32_t request[2] = {tf::conduit::kNameRequestVersion, tf::conduit::kNameRequestSize};
    char infoName[tf::conduit::kNameRequestSize];
    std::uint32_t infoSize = sizeof infoName;
    long nameStatus = conduit.info(tf::conduit::kInfoName, request, infoName, &infoSize);
    std::uint32_t frameworkVersion = 0;
    std::uint32_t defaultAction = 0;
    std::uint32_t valueSize = sizeof frameworkVersion;
    long versionStatus =
        conduit.info(tf::conduit::kInfoFrameworkVersion, nullptr, &frameworkVersion, &valueSize);
    valueSize = sizeof defaultAction;
    long actionStatus =
        conduit.info(tf::conduit::kInfoDefaultAction, nullptr, &defaultAction, &valueSize);
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
}

// Lays out the property block, runs OpenConduit against the folder handheld and prints the
// log; 0 when the conduit wrote the portfolio back and the handheld's databases were read and
// written whole, 1 otherwise.
int RunConduit(const CConduitLibrary& conduit, const SHotSyncSetup& setup)
{
    SkConduitProperties properties{};
    properties.blockSize = sizeof properties;
    CopyField(properties.userDirectory, sizeof properties.userDirectory, setup.userDir);
    CopyField(properties.localFileName, sizeof properties.localFileName, setup.localFile);
    properties.databaseName = setup.database.c_str();
    properties.creator = setup.creator;
    properties.card = setup.card;
    properties.type = setup.type;

    tf::synckit::CFolderHandheld handheld(setup.handheldDir);
    tf::synckit::SelectHandheld(&handheld);
    tf::synckit::ClearLog();
    long result = conduit.open(nullptr, &properties);
    tf::synckit::SelectHandheld(nullptr);
    // A database the handheld could not read (damaged) or store is the sync manager's own
    // entry in the log: the conduit only saw its calls fail.
    const bool handheldWhole = handheld.LastError().empty();
    if (!handheldWhole)
        SkLogAddEntry(("Handheld: " + handheld.LastError()).c_str(), tf::conduit::kActivityError,
                      0);

    std::printf("HotSync log:\n");
    bool written = false;
    for (const tf::synckit::LogEntry& entry : tf::synckit::LogEntries()) {
        std::printf("  [%d] %s\n", entry.activity, entry.text.c_str());
        if (entry.activity == tf::conduit::kActivityDone)
            written = true;
    }
    std::printf("OpenConduit returned %ld\n", result);
    return written && handheldWhole ? 0 : 1;
}
} // namespace

int RunHotSync(const COptions& options)
{
    SHotSyncSetup setup;
    if (int refused = ReadHotSyncOptions(options, setup))
        return refused;
    if (!EnsureFolder(setup.handheldDir))
        return Fail(1, setup.handheldDir +
                           " is not a folder that can be used: " + std::strerror(errno));
    CConduitLibrary conduit;
    if (!LoadConduit(options, conduit))
        return 1;
    PrintConduitInformation(conduit);
    return RunConduit(conduit, setup);
}

} // namespace tfsync
