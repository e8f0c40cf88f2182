#include "platform/synckit/Categories.h"

#include <algorithm>

namespace {
int g_nTablesInitCount = 0;
}

long InitTables5DLL()
{
    ++g_nTablesInitCount;
    return 0;
}

int TablesInitCount()
{
    return g_nTablesInitCount;
}

CCategory::CCategory(int index, const std::string& name, int id) : m_nIndex(index), m_nId(id)
{
    SetName(name);
}

void CCategory::SetName(const std::string& name)
{
    m_strName = name.substr(0, kCategoryNameMax);
}

CCategoryMgr::~CCategoryMgr()
{
    DeleteAllCategories(1);
}

void CCategoryMgr::DeleteAllCategories(int bDelete)
{
    if (bDelete)
        for (CCategory* category : m_categories)
            delete category;
    m_categories.clear();
    m_nWalk = 0;
}

long CCategoryMgr::Add(CCategory* category)
{
    if (!category || category->GetName().empty() || GetCount() >= kCategorySlots)
        return kCatRefused;
    int index = category->GetIndex();
    if (index < 0 || index >= kCategorySlots || FindIndex(index, nullptr) == kCatOk)
        return kCatRefused;
    m_categories.push_back(category);
    return kCatOk;
}

long CCategoryMgr::FindIndex(int index, CCategory** found) const
{
    for (CCategory* category : m_categories)
        if (category->GetIndex() == index) {
            if (found)
                *found = category;
            return kCatOk;
        }
    return kCatNotFound;
}

long CCategoryMgr::FindName(const std::string& name, CCategory** found) const
{
    for (CCategory* category : m_categories)
        if (category->GetName() == name) {
            if (found)
                *found = category;
            return kCatOk;
        }
    return kCatNotFound;
}

long CCategoryMgr::FindFirst(CCategory** found)
{
    m_nWalk = 0;
    return FindNext(found);
}

long CCategoryMgr::FindNext(CCategory** found)
{
    if (m_nWalk >= m_categories.size())
        return kCatNotFound;
    if (found)
        *found = m_categories[m_nWalk];
    ++m_nWalk;
    return kCatOk;
}

int CCategoryMgr::GetFreeIndex() const
{
    for (int index = 1; index < kCategorySlots; ++index)
        if (FindIndex(index, nullptr) != kCatOk)
            return index;
    return -1;
}

int CCategoryMgr::GetCategoryCounter() const
{
    int counter = 0;
    for (const CCategory* category : m_categories)
        if (category->GetID() < kCategoryIdLimit)
            counter = std::max(counter, category->GetID());
    return counter;
}
