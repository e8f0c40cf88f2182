// A handheld kept in memory, for tests: databases can be laid out and inspected directly,
// and any call can be made to fail with a chosen status (CHandheld::FailCall).
#pragma once

#include <map>
#include <string>

#include "platform/synckit/Handheld.h"

namespace tf::synckit {

class SK_API CMemoryHandheld : public CHandheld
{
  public:
    // The database of that name, or null.
    HandheldDatabase* FindDatabase(const std::string& name);
    // Adds (or replaces) a database as it stands.
    HandheldDatabase& PutDatabase(const HandheldDatabase& db);
    bool RemoveDatabase(const std::string& name);
    // A fixed clock makes database dates repeatable.
    void SetNow(std::int64_t now) { m_nNow = now; }

  protected:
    int Attach(const std::string& name, HandheldDatabase*& db) override;
    int Make(const HandheldDatabase& prototype, HandheldDatabase*& db) override;
    int Release(HandheldDatabase* db, bool bChanged) override;
    std::int64_t Now() const override;

  private:
    std::map<std::string, HandheldDatabase> m_databases;
    std::int64_t m_nNow = 0; // 0: the real clock
};

} // namespace tf::synckit
