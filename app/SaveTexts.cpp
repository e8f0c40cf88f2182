#include "app/SaveTexts.h"

namespace {
// A status line names a few trades; more are counted.
constexpr std::size_t kNamedTrades = 3;
} // namespace

std::string SaveFailureStatus(ESaveFailure kind, const std::string& strDetail)
{
    switch (kind) {
    case ESaveFailure::Busy:
        return "Not saved: " + strDetail + "; Tallyfern tries again at the next save.";
    case ESaveFailure::Damaged:
        return "Not saved: the portfolio file is damaged and no copy of it could be kept; "
               "nothing is saved over it until one can be.";
    case ESaveFailure::Write:
        break;
    }
    return "Not saved: " + strDetail + "; Tallyfern tries again at the next save.";
}

std::string SaveFailureMessage(ESaveFailure kind, const std::string& strPath,
                               const std::string& strDetail)
{
    const std::string strKept =
        "Nothing in this window is lost: Tallyfern keeps it and tries again at every save.";
    switch (kind) {
    case ESaveFailure::Busy:
        return "Tallyfern could not save the portfolio file " + strPath + ": " + strDetail +
               ".\n\n" + strKept;
    case ESaveFailure::Damaged:
        return "The portfolio file " + strPath + " cannot be read whole, and no copy of it " +
               "could be kept (" + strDetail + ").\n\nTallyfern saves nothing over it until " +
               "a copy can be kept. " + strKept;
    case ESaveFailure::Write:
        break;
    }
    return "Tallyfern could not save the portfolio file " + strPath + " (" + strDetail +
           "). The file was left as it was.\n\n" + strKept;
}

std::string ConflictStatus(const std::vector<std::int32_t>& ids)
{
    std::string strTrades;
    for (std::size_t i = 0; i < ids.size() && i < kNamedTrades; ++i)
        strTrades += (i == 0 ? "" : ", ") + std::to_string(ids[i]);
    if (ids.size() > kNamedTrades)
        strTrades += " and " + std::to_string(ids.size() - kNamedTrades) + " more";
    return std::string(ids.size() == 1 ? "Trade " : "Trades ") + strTrades +
           (ids.size() == 1 ? " was" : " were") +
           " changed both here and in another program; the change made here was kept.";
}
