// A handheld kept as a folder: each database is "<name>.pdb" in the folder. A database is
// read whole when it is opened and, if any call changed it, written back whole when it is
// closed: to a temporary file beside it that is renamed over the old one, so a failed
// write never leaves half a database.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/synckit/Handheld.h"

namespace tf::synckit {

class SK_API CFolderHandheld : public CHandheld
{
  public:
    explicit CFolderHandheld(std::string folder);

    const std::string& Folder() const { return m_strFolder; }
    std::string DatabasePath(const std::string& name) const;

    // Reads a database file outside any HotSync (the handheld's own viewer does this).
    // kSkOk, kSkErrNotFound, kSkErrDamaged (reason in *error) or kSkErrBadArgument.
    int LoadDatabase(const std::string& name, HandheldDatabase& db, std::string* error = nullptr);
    // Replaces the database file atomically; kSkOk or kSkErrStorage (reason in *error).
    int StoreDatabase(const HandheldDatabase& db, std::string* error = nullptr);
    // Names of the databases in the folder, sorted.
    std::vector<std::string> DatabaseNames() const;
    // Why the last open or close failed, for the sync manager's messages.
    const std::string& LastError() const { return m_strLastError; }

  protected:
    int Attach(const std::string& name, HandheldDatabase*& db) override;
    int Make(const HandheldDatabase& prototype, HandheldDatabase*& db) override;
    int Release(HandheldDatabase* db, bool bChanged) override;

  private:
    std::string m_strFolder;
    std::map<std::string, HandheldDatabase> m_loaded; // the databases now open
    std::string m_strLastError;
};

} // namespace tf::synckit
