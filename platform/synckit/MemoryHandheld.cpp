#include "platform/synckit/MemoryHandheld.h"

namespace tf::synckit {

HandheldDatabase* CMemoryHandheld::FindDatabase(const std::string& name)
{
    auto it = m_databases.find(name);
    return it == m_databases.end() ? nullptr : &it->second;
}

HandheldDatabase& CMemoryHandheld::PutDatabase(const HandheldDatabase& db)
{
    return m_databases[db.name] = db;
}

bool CMemoryHandheld::RemoveDatabase(const std::string& name)
{
    return m_databases.erase(name) > 0;
}

int CMemoryHandheld::Attach(const std::string& name, HandheldDatabase*& db)
{
    db = FindDatabase(name);
    return db ? kSkOk : kSkErrNotFound;
}

int CMemoryHandheld::Make(const HandheldDatabase& prototype, HandheldDatabase*& db)
{
    if (FindDatabase(prototype.name))
        return kSkErrExists;
    db = &PutDatabase(prototype);
    return kSkOk;
}

int CMemoryHandheld::Release(HandheldDatabase* /*db*/, bool /*bChanged*/)
{
    return kSkOk;
}

std::int64_t CMemoryHandheld::Now() const
{
    return m_nNow != 0 ? m_nNow : CHandheld::Now();
}

} // namespace tf::synckit
