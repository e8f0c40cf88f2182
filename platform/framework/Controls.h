// Handles over a dialog's list boxes and drop-down lists with the classic row operations.
// A handle does not own its control; it is cheap to make from CDialog::ListBox(id) or
// CDialog::ComboBox(id) whenever it is needed. Changes made through a handle never raise the
// control's selection-change notification (only the user's own changes do).
//
// Sorted boxes insert each new row before the first row that compares greater ignoring case
// (so rows that compare equal keep their order of addition). Finding a row by text takes the
// first row, after the start row and wrapping round, that begins with the text ignoring case.
#pragma once

#include <string>

class QComboBox;
class QListWidget;

// Result of a row operation that found nothing or failed.
constexpr int LB_ERR = -1;
constexpr int CB_ERR = -1;

// Case-insensitive order of two 8-bit texts, as sorted boxes use it.
int CompareNoCase(const std::string& a, const std::string& b);

class CListBox
{
  public:
    explicit CListBox(QListWidget* pList = nullptr) : m_pList(pList) {}
    bool IsValid() const { return m_pList != nullptr; }

    // The index the row was inserted at, or LB_ERR.
    int AddString(const std::string& strText);
    int InsertString(int nIndex, const std::string& strText); // -1 appends; never sorts
    int DeleteString(int nIndex);                             // rows left, or LB_ERR
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int nIndex); // -1 clears the selection; LB_ERR when out of range
    std::string GetText(int nIndex) const;
    int FindString(int nStartAfter, const std::string& strPrefix) const;
    int FindStringExact(int nStartAfter, const std::string& strText) const;
    int SelectString(int nStartAfter, const std::string& strPrefix);

    QListWidget* GetQList() const { return m_pList; }

  private:
    QListWidget* m_pList;
};

class CComboBox
{
  public:
    explicit CComboBox(QComboBox* pCombo = nullptr) : m_pCombo(pCombo) {}
    bool IsValid() const { return m_pCombo != nullptr; }

    int AddString(const std::string& strText);
    int InsertString(int nIndex, const std::string& strText);
    int DeleteString(int nIndex);
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int nIndex);
    std::string GetLBText(int nIndex) const;
    // The text shown in the box: the selected row's, or empty.
    std::string GetWindowText() const;
    int FindString(int nStartAfter, const std::string& strPrefix) const;
    int FindStringExact(int nStartAfter, const std::string& strText) const;
    int SelectString(int nStartAfter, const std::string& strPrefix);

    QComboBox* GetQCombo() const { return m_pCombo; }

  private:
    QComboBox* m_pCombo;
};
