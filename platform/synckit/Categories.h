// The category table of the sync kit: CCategoryMgr mirrors a database's categories (index
// 0..15 on the handheld, a name, a one-byte identifier) while a conduit works on them.
//
// Results: 0 success; kCatNotFound (4) when no category matches or the walk is over;
// kCatRefused when Add will not take a category.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/synckit/SyncKit.h"

// A handheld has this many category slots.
constexpr int kCategorySlots = 16;
// A category name fits its 16-byte slot with the terminator.
constexpr std::size_t kCategoryNameMax = 15;
// Identifiers the manager hands out stay below this.
constexpr int kCategoryIdLimit = 16;

constexpr long kCatOk = 0;
constexpr long kCatRefused = 1;
constexpr long kCatNotFound = 4;

class SK_API CCategory
{
  public:
    CCategory() = default;
    CCategory(int index, const std::string& name, int id);

    void SetIndex(int index) { m_nIndex = index; }
    // Names longer than a slot are cut to kCategoryNameMax characters.
    void SetName(const std::string& name);
    void SetID(int id) { m_nId = id; }
    int GetIndex() const { return m_nIndex; }
    int GetID() const { return m_nId; }
    const std::string& GetName() const { return m_strName; }

  private:
    int m_nIndex = -1;
    int m_nId = 0;
    std::string m_strName;
};

class SK_API CCategoryMgr
{
  public:
    CCategoryMgr() = default;
    ~CCategoryMgr();
    CCategoryMgr(const CCategoryMgr&) = delete;
    CCategoryMgr& operator=(const CCategoryMgr&) = delete;

    // Empties the manager; with bDelete 1 the categories are freed too.
    void DeleteAllCategories(int bDelete);
    // Takes ownership of the category on success (0). Refuses (kCatRefused) a null
    // category, an index outside 0..15 or already used, an empty name, or a 17th category;
    // the caller keeps a refused category.
    long Add(CCategory* category);
    long FindIndex(int index, CCategory** found) const;
    long FindName(const std::string& name, CCategory** found) const;
    // The categories in the order they were added.
    long FindFirst(CCategory** found);
    long FindNext(CCategory** found);
    // The lowest unused index from 1 to 15 (index 0 is the handheld's "Unfiled"), or -1.
    int GetFreeIndex() const;
    // The category counter: the highest identifier below kCategoryIdLimit in use (0 when
    // none). A new category takes counter + 1, so identifiers stay unique and below 16.
    int GetCategoryCounter() const;
    int GetCount() const { return static_cast<int>(m_categories.size()); }

  private:
    std::vector<CCategory*> m_categories;
    std::size_t m_nWalk = 0;
};

// Initialises the table library; a conduit calls it once when it is loaded.
extern "C" SK_API long InitTables5DLL();
// How often InitTables5DLL was called in this process.
SK_API int TablesInitCount();
