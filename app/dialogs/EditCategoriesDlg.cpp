#include "app/dialogs/EditCategoriesDlg.h"

#include <algorithm>
#include <cstddef>

#include "app/dialogs/DialogTemplates.h"
#include "model/CategoryRules.h"
#include "model/TradeRecord.h"
#include "platform/framework/DataExchange.h"
#include "platform/framework/MessageBox.h"

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
    const CategoryResult result = AddTradeCategory(m_doc, m_strCategory);
    if (result.Refused()) {
        TfMessageBox(result.message, MB_OK | MB_ICONSTOP, result.caption, this);
        return;
    }
    m_list.AddString(m_strCategory);
}

void CEditCategoriesDlg::OnRemoveCategory()
{
    if (!UpdateData(true))
        return;
    const int nSel = m_list.GetCurSel();
    if (nSel < 0)
        return;
    if (RemoveTradeCategory(m_doc, m_list.GetText(nSel)).bChanged) {
        m_list.DeleteString(nSel);
        m_strCategory.clear();
        UpdateData(false);
    }
}
