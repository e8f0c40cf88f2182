// CEditCategoriesDlg: adds and removes categories on a private copy of the portfolio. The
// window fills m_doc before DoModal and takes it back only on IDOK.
#pragma once

#include <string>

#include "model/BlotterSpace.h"
#include "platform/framework/Controls.h"
#include "platform/framework/Dialog.h"

class CEditCategoriesDlg : public CDialog
{
  public:
    // Control identifiers of template 137.
    static constexpr int kIdCategoryList = 1015;
    static constexpr int kIdCategory = 1020;
    static constexpr int kIdAdd = 1017;
    static constexpr int kIdRemove = 3;

    explicit CEditCategoriesDlg(CWnd* pParent = nullptr);

    CBlotterSpace m_doc;
    // The "Current Categories" list; valid once the dialog is created.
    CListBox m_list;
    std::string m_strCategory;

    void FillCategoryList();

  protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

  private:
    void OnSelChange();
    void OnAddCategory();
    void OnRemoveCategory();
};
