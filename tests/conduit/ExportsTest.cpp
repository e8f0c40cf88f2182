// The conduit library as the sync manager sees it: loaded with dlopen, four exports and
// nothing else, and the name, version and information requests.
#include <array>
#include <cstring>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <string>

#include "conduit/ConduitApi.h"
#include "platform/synckit/Categories.h"
#include "platform/synckit/MemoryHandheld.h"
#include "platform/synckit/SyncLog.h"
#include "tests/support/process/ChildProcess.h"

namespace {

using namespace tf::conduit;

class ConduitLibrary : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        m_nInitBefore = TablesInitCount();
        m_pLib = dlopen(TF_CONDUIT_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(m_pLib, nullptr) << dlerror();
        name = reinterpret_cast<GetConduitNameFn>(dlsym(m_pLib, kGetConduitNameExport));
        version = reinterpret_cast<GetConduitVersionFn>(dlsym(m_pLib, kGetConduitVersionExport));
        info = reinterpret_cast<GetConduitInfoFn>(dlsym(m_pLib, kGetConduitInfoExport));
        open = reinterpret_cast<OpenConduitFn>(dlsym(m_pLib, kOpenConduitExport));
        ASSERT_TRUE(name && version && info && open);
    }
    void TearDown() override
    {
        if (m_pLib)
            dlclose(m_pLib);
    }
    void* m_pLib = nullptr;
    int m_nInitBefore = 0;
    GetConduitNameFn name = nullptr;
    GetConduitVersionFn version = nullptr;
    GetConduitInfoFn info = nullptr;
    OpenConduitFn open = nullptr;
};

TEST_F(ConduitLibrary, ExportsExactlyTheFourEntryPoints)
{
    tf::test::SProcessResult nm =
        tf::test::RunProcess({"nm", "-D", "--defined-only", TF_CONDUIT_PATH});
    ASSERT_EQ(nm.exitCode, 0) << nm.err;
    std::set<std::string> symbols;
    std::istringstream lines(nm.out);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string address, kind, symbol;
        if (fields >> address >> kind >> symbol)
            symbols.insert(symbol);
    }
    EXPECT_EQ(symbols, (std::set<std::string>{"GetConduitInfo", "GetConduitName",
                                              "GetConduitVersion", "OpenConduit"}));
}

TEST_F(ConduitLibrary, LoadingInitialisesTheCategoryTablesOnce)
{
    EXPECT_EQ(TablesInitCount(), m_nInitBefore + 1);
    void* again = dlopen(TF_CONDUIT_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(TablesInitCount(), m_nInitBefore + 1)
        << "a library already loaded is not set up again";
    dlclose(again);
}

TEST_F(ConduitLibrary, NameAndVersion)
{
    char text[16];
    std::memset(text, 'x', sizeof text);
    EXPECT_EQ(name(text, 5), 0);
    EXPECT_STREQ(text, "Tall");
    EXPECT_EQ(text[5], 'x') << "only `length` bytes are touched";
    EXPECT_EQ(name(text, sizeof text), 0);
    EXPECT_STREQ(text, "Tallyfern");
    EXPECT_EQ(name(text, 1), 0);
    EXPECT_EQ(text[0], 0);
    EXPECT_EQ(version(), 0x101u);
}

TEST_F(ConduitLibrary, InfoAnswersEveryRequestAndFault)
{
    // The codes the sync manager knows these answers by.
    static_assert(kInfoErrUnknownType == 0x1070 && kInfoErrNoOutput == 0x1071 &&
                  kInfoErrBadSize == 0x1073 && kInfoErrNoInput == 0x1074 &&
                  kInfoErrBadInput == 0x1075 && kInfoErrNoOutputSize == 0x1077);
    static_assert(kNameRequestVersion == 1 && kNameRequestSize == 80);

    std::uint32_t request[2] = {kNameRequestVersion, kNameRequestSize};
    std::array<char, 80> output;
    std::uint32_t size = output.size();
    EXPECT_EQ(info(0, request, nullptr, &size), kInfoErrNoOutput);
    EXPECT_EQ(info(0, request, output.data(), nullptr), kInfoErrNoOutputSize);
    EXPECT_EQ(info(0, nullptr, output.data(), &size), kInfoErrNoInput);

    output.fill('q');
    std::uint32_t wrong[2] = {1, 79};
    EXPECT_EQ(info(0, wrong, output.data(), &size), kInfoErrBadInput);
    EXPECT_EQ(output[0], 'q') << "a refused request leaves the output alone";
    std::uint32_t swapped[2] = {80, 1};
    EXPECT_EQ(info(0, swapped, output.data(), &size), kInfoErrBadInput);

    EXPECT_EQ(info(0, request, output.data(), &size), 0);
    EXPECT_STREQ(output.data(), "Tallyfern");
    EXPECT_EQ(output[79], 0);
    output.fill('q');
    std::uint32_t shortSize = 4;
    EXPECT_EQ(info(0, request, output.data(), &shortSize), 0);
    EXPECT_STREQ(output.data(), "Tal");
    EXPECT_EQ(output[4], 'q');

    std::uint32_t value = 7;
    std::uint32_t valueSize = 8;
    EXPECT_EQ(info(1, nullptr, &value, &valueSize), kInfoErrBadSize);
    EXPECT_EQ(info(2, nullptr, &value, &valueSize), kInfoErrBadSize);
    EXPECT_EQ(value, 7u);
    valueSize = 4;
    EXPECT_EQ(info(1, nullptr, &value, &valueSize), 0);
    EXPECT_EQ(value, 0x500u);
    EXPECT_EQ(info(2, nullptr, &value, &valueSize), 0);
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(info(3, nullptr, &value, &valueSize), kInfoErrUnknownType);
    EXPECT_EQ(info(-1, nullptr, &value, &valueSize), kInfoErrUnknownType);
}

TEST_F(ConduitLibrary, OpenConduitReadsThePropertyBlockAndAlwaysReturnsZero)
{
    tf::synckit::CMemoryHandheld handheld;
    tf::synckit::SelectHandheld(&handheld);
    tf::synckit::ClearLog();
    SkConduitProperties properties{};
    std::strcpy(properties.userDirectory, "/nonexistent-tallyfern-folder/");
    const char* database = "ViewerByBlock";
    properties.databaseName = database;
    properties.creator = tf::synckit::FourCharCode("Crea");
    properties.card = 3;
    properties.type = tf::synckit::FourCharCode("Type");
    EXPECT_EQ(open(nullptr, &properties), 0);
    tf::synckit::SelectHandheld(nullptr);

    tf::synckit::HandheldDatabase* db = handheld.FindDatabase("ViewerByBlock");
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(db->creator, tf::synckit::FourCharCode("Crea"));
    EXPECT_EQ(db->type, tf::synckit::FourCharCode("Type"));
    EXPECT_EQ(db->card, 3);
    std::vector<tf::synckit::LogEntry> log = tf::synckit::LogEntries();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].text, "Synchronizing Tallyfern...");
    EXPECT_NE(log[1].text.find("/nonexistent-tallyfern-folder/Tallyfern.kgw"), std::string::npos);

    // No block at all: still 0, logged, and no portfolio is looked for anywhere.
    tf::synckit::ClearLog();
    EXPECT_EQ(open(nullptr, nullptr), 0);
    log = tf::synckit::LogEntries();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_NE(log[1].text.find("no properties"), std::string::npos);
}

} // namespace
