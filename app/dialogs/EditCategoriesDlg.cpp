#include "app/dialogs/EditCategoriesDlg.h"

#include <algorithm>
#include <cstddef>

#include "app/dialogs/DialogTemplates.h"
#include "model/TradeRecord.h"
#include "platform/framework/DataExchange.h"
#include "platform/framework/MessageBox.h"

namespace {

// The handheld takes no more categories than this, "All" and "Unfiled" included.
constexpr std::size_t kMaxCategories = 15;

} // namespace

CEditCategoriesDlg::CEditCategoriesDlg(CWnd* pParent) : CDialog(EditCategoriesTemplate(), pParent)
{
    MapNotify(kIdCategoryList, LBN_SELCHANGE, [this] { OnSelChange(); });
    MapCommand(kIdAdd, [this] { OnAddCategory(); });
    MapCommand(kIdRemove, [this] { OnRemoveCategory(); });
}

void CEditCategoriesDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, kIdCategory, m_strCategory);
    // A name must fit the trade record's category field with its terminating zero.
    DDV_MaxChars(pDX, m_strCategory, static_cast<int>(kCategoryMax));
}

bool CEditCategoriesDlg::OnInitDialog()
{
    m_list = ListBox(kIdCategoryList);
    const bool bResult = CDialog::OnInitDialog();
    FillCategoryList();
    return bResult;
}

void CEditCategoriesDlg::FillCategoryList()
{
    m_list.ResetContent();
    // Entries past the handheld's limit (a list written elsewhere) are not offered.
    const std::size_t nShown = std::min(m_doc.m_categories.size(), kMaxCategories);
    for (std::size_t i = 0; i < nShown; ++i) {
        const std::string& strName = m_doc.m_categories[i];
        if (strName != kCategoryAll && strName != kCategoryUnfiled)
            m_list.AddString(strName);
    }
    if (m_list.GetCount() > 0) {
        m_list.SetCurSel(0);
        m_strCategory = m_list.GetText(0);
        UpdateData(false);
    }
}

void CEditCategoriesDlg::OnSelChange()
{
    const int nSel = m_list.GetCurSel();
    if (nSel < 0)
        return;
    m_strCategory = m_list.GetText(nSel);
    UpdateData(false);
}

void CEditCategoriesDlg::OnAddCategory()
{
    if (!UpdateData(true))
        return;
    if (m_doc.m_categories.size() >= kMaxCategories) {
        TfMessageBox("Cannot add more than 15 categories.", MB_OK | MB_ICONSTOP, "PalmPilot Limit",
                     this);
        return;
    }
    m_doc.m_categories.push_back(m_strCategory);
    m_list.AddString(m_strCategory);
}

void CEditCategoriesDlg::OnRemoveCategory()
{
    if (!UpdateData(true))
        return;
    const int nSel = m_list.GetCurSel();
    if (nSel < 0)
        return;
    const std::string strName = m_list.GetText(nSel);

    // Exact text: a trade filed under another letter case keeps its category.
    for (TradeRecord& trade : m_doc.m_trades) {
        if (TradeCategory(trade) == strName)
            SetTradeCategory(trade, kCategoryUnfiled);
    }
    auto& categories = m_doc.m_categories;
    const auto it = std::find(categories.begin(), categories.end(), strName);
    if (it != categories.end()) {
        categories.erase(it);
        m_list.DeleteString(nSel);
        m_strCategory.clear();
        UpdateData(false);
    }
}
