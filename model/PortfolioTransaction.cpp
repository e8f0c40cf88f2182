#include "model/PortfolioTransaction.h"

#include <charconv>
#include <cstdlib>

#include "platform/fs/Backups.h"
#include "platform/fs/FilePaths.h"
#include "platform/fs/StaleFiles.h"
#include "platform/text/Numbers.h"

namespace {
// Long enough for any other writer's save, a HotSync included; short enough that a
// command left waiting behind a hung program gives up while its user still watches.
constexpr std::chrono::milliseconds kDefaultLockWait{10000};
// A wait asked for in the environment is cut here: a day is no wait any more.
constexpr double kLongestLockWaitSeconds = 86400;
} // namespace

std::chrono::milliseconds DefaultLockWait()
{
    const char* text = std::getenv("TALLYFERN_LOCK_WAIT");
    double seconds = 0;
    if (text == nullptr || !ParseWholeDouble(text, seconds) || !(seconds >= 0))
        return kDefaultLockWait;
    if (seconds > kLongestLockWaitSeconds)
        seconds = kLongestLockWaitSeconds;
    return std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
}

std::string SecondsText(std::chrono::milliseconds wait)
{
    // The shortest text that reads back as the same number: "10", "0.5".
    char text[32];
    auto result = std::to_chars(text, text + sizeof text, static_cast<double>(wait.count()) / 1000);
    return std::string(text, result.ptr);
}

CPortfolioTransaction::CPortfolioTransaction(const std::string& path)
    : m_strPath(path), m_strTarget(tf::fs::ResolveLinks(path))
{
}

bool CPortfolioTransaction::Begin(std::chrono::milliseconds wait)
{
    m_bBackedUp = false;
    if (!m_lock.Acquire(m_strTarget, wait))
        return false;
    tf::fs::RemoveStaleTemporaries(m_strTarget);
    return true;
}

PortfolioReadResult CPortfolioTransaction::Read(CBlotterSpace& doc) const
{
    return ReadPortfolioFile(m_strTarget, doc);
}

PortfolioWriteResult CPortfolioTransaction::Write(CBlotterSpace& doc)
{
    PortfolioWriteResult result =
        WritePortfolioFile(m_strTarget, doc, m_bBackedUp ? 0 : tf::fs::kPortfolioBackups);
    if (result.bOk)
        m_bBackedUp = true;
    return result;
}
