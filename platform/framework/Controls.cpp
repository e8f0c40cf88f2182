#include "platform/framework/Controls.h"

#include <algorithm>
#include <functional>

#include <QComboBox>
#include <QListWidget>
#include <QSignalBlocker>

#include "platform/framework/Ansi.h"
#include "platform/framework/DialogControls.h"

namespace {

using DialogControls::kSortedProperty;

unsigned char FoldCase(unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return static_cast<unsigned char>(c - 'A' + 'a');
    // Latin letters of Windows-1252 (the multiplication sign has no lower case).
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return static_cast<unsigned char>(c + 0x20);
    return c;
}

bool StartsWithNoCase(const std::string& strText, const std::string& strPrefix)
{
    if (strPrefix.size() > strText.size())
        return false;
    return CompareNoCase(strText.substr(0, strPrefix.size()), strPrefix) == 0;
}

// The first row after nStartAfter (wrapping round) for which match holds, or -1.
int FindRow(int nCount, int nStartAfter, const std::function<bool(int)>& match)
{
    if (nCount <= 0)
        return -1;
    const int nFirst = (nStartAfter < 0 || nStartAfter >= nCount) ? 0 : nStartAfter + 1;
    for (int i = 0; i < nCount; ++i) {
        const int nRow = (nFirst + i) % nCount;
        if (match(nRow))
            return nRow;
    }
    return -1;
}

bool IsSorted(const QObject* pBox)
{
    return pBox->property(kSortedProperty).toBool();
}

int SortedPosition(int nCount, const std::string& strText,
                   const std::function<std::string(int)>& textAt)
{
    int nPos = 0;
    while (nPos < nCount && CompareNoCase(textAt(nPos), strText) <= 0)
        ++nPos;
    return nPos;
}

} // namespace

int CompareNoCase(const std::string& a, const std::string& b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char ca = FoldCase(static_cast<unsigned char>(a[i]));
        const unsigned char cb = FoldCase(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

// ---- CListBox

int CListBox::AddString(const std::string& strText)
{
    if (m_pList == nullptr)
        return LB_ERR;
    const int nCount = GetCount();
    const int nPos = IsSorted(m_pList)
                         ? SortedPosition(nCount, strText, [this](int i) { return GetText(i); })
                         : nCount;
    const QSignalBlocker blocker(m_pList);
    m_pList->insertItem(nPos, AnsiToQString(strText));
    return nPos;
}

int CListBox::InsertString(int nIndex, const std::string& strText)
{
    if (m_pList == nullptr || nIndex > GetCount())
        return LB_ERR;
    const int nPos = nIndex < 0 ? GetCount() : nIndex;
    const QSignalBlocker blocker(m_pList);
    m_pList->insertItem(nPos, AnsiToQString(strText));
    return nPos;
}

int CListBox::DeleteString(int nIndex)
{
    if (m_pList == nullptr || nIndex < 0 || nIndex >= GetCount())
        return LB_ERR;
    const QSignalBlocker blocker(m_pList);
    delete m_pList->takeItem(nIndex);
    return GetCount();
}

void CListBox::ResetContent()
{
    if (m_pList == nullptr)
        return;
    const QSignalBlocker blocker(m_pList);
    m_pList->clear();
}

int CListBox::GetCount() const
{
    return m_pList == nullptr ? 0 : m_pList->count();
}

int CListBox::GetCurSel() const
{
    if (m_pList == nullptr)
        return LB_ERR;
    const QList<QListWidgetItem*> selected = m_pList->selectedItems();
    return selected.isEmpty() ? LB_ERR : m_pList->row(selected.front());
}

int CListBox::SetCurSel(int nIndex)
{
    if (m_pList == nullptr || nIndex >= GetCount())
        return LB_ERR;
    const QSignalBlocker blocker(m_pList);
    if (nIndex < 0) {
        m_pList->clearSelection();
        m_pList->setCurrentRow(-1);
        return LB_ERR;
    }
    m_pList->setCurrentRow(nIndex);
    m_pList->item(nIndex)->setSelected(true);
    return nIndex;
}

std::string CListBox::GetText(int nIndex) const
{
    if (m_pList == nullptr || nIndex < 0 || nIndex >= GetCount())
        return {};
    return QStringToAnsi(m_pList->item(nIndex)->text());
}

int CListBox::FindString(int nStartAfter, const std::string& strPrefix) const
{
    return FindRow(GetCount(), nStartAfter,
                   [&](int i) { return StartsWithNoCase(GetText(i), strPrefix); });
}

int CListBox::FindStringExact(int nStartAfter, const std::string& strText) const
{
    return FindRow(GetCount(), nStartAfter,
                   [&](int i) { return CompareNoCase(GetText(i), strText) == 0; });
}

int CListBox::SelectString(int nStartAfter, const std::string& strPrefix)
{
    const int nRow = FindString(nStartAfter, strPrefix);
    return nRow < 0 ? LB_ERR : SetCurSel(nRow);
}

// ---- CComboBox

int CComboBox::AddString(const std::string& strText)
{
    if (m_pCombo == nullptr)
        return CB_ERR;
    const int nCount = GetCount();
    const int nPos = IsSorted(m_pCombo)
                         ? SortedPosition(nCount, strText, [this](int i) { return GetLBText(i); })
                         : nCount;
    const QSignalBlocker blocker(m_pCombo);
    const int nSel = m_pCombo->currentIndex();
    m_pCombo->insertItem(nPos, AnsiToQString(strText));
    // Adding a row never chooses one: an empty box stays without a selection.
    m_pCombo->setCurrentIndex(nSel < 0 ? -1 : (nSel >= nPos ? nSel + 1 : nSel));
    return nPos;
}

int CComboBox::InsertString(int nIndex, const std::string& strText)
{
    if (m_pCombo == nullptr || nIndex > GetCount())
        return CB_ERR;
    const int nPos = nIndex < 0 ? GetCount() : nIndex;
    const QSignalBlocker blocker(m_pCombo);
    const int nSel = m_pCombo->currentIndex();
    m_pCombo->insertItem(nPos, AnsiToQString(strText));
    m_pCombo->setCurrentIndex(nSel < 0 ? -1 : (nSel >= nPos ? nSel + 1 : nSel));
    return nPos;
}

int CComboBox::DeleteString(int nIndex)
{
    if (m_pCombo == nullptr || nIndex < 0 || nIndex >= GetCount())
        return CB_ERR;
    const QSignalBlocker blocker(m_pCombo);
    const int nSel = m_pCombo->currentIndex();
    m_pCombo->removeItem(nIndex);
    // Deleting the selected row leaves the box without a selection.
    m_pCombo->setCurrentIndex(nSel == nIndex ? -1 : (nSel > nIndex ? nSel - 1 : nSel));
    return GetCount();
}

void CComboBox::ResetContent()
{
    if (m_pCombo == nullptr)
        return;
    const QSignalBlocker blocker(m_pCombo);
    m_pCombo->clear();
}

int CComboBox::GetCount() const
{
    return m_pCombo == nullptr ? 0 : m_pCombo->count();
}

int CComboBox::GetCurSel() const
{
    if (m_pCombo == nullptr)
        return CB_ERR;
    return m_pCombo->currentIndex() < 0 ? CB_ERR : m_pCombo->currentIndex();
}

int CComboBox::SetCurSel(int nIndex)
{
    if (m_pCombo == nullptr || nIndex >= GetCount())
        return CB_ERR;
    const QSignalBlocker blocker(m_pCombo);
    m_pCombo->setCurrentIndex(nIndex < 0 ? -1 : nIndex);
    return nIndex < 0 ? CB_ERR : nIndex;
}

std::string CComboBox::GetLBText(int nIndex) const
{
    if (m_pCombo == nullptr || nIndex < 0 || nIndex >= GetCount())
        return {};
    return QStringToAnsi(m_pCombo->itemText(nIndex));
}

std::string CComboBox::GetWindowText() const
{
    return GetLBText(GetCurSel());
}

int CComboBox::FindString(int nStartAfter, const std::string& strPrefix) const
{
    return FindRow(GetCount(), nStartAfter,
                   [&](int i) { return StartsWithNoCase(GetLBText(i), strPrefix); });
}

int CComboBox::FindStringExact(int nStartAfter, const std::string& strText) const
{
    return FindRow(GetCount(), nStartAfter,
                   [&](int i) { return CompareNoCase(GetLBText(i), strText) == 0; });
}

int CComboBox::SelectString(int nStartAfter, const std::string& strPrefix)
{
    const int nRow = FindString(nStartAfter, strPrefix);
    return nRow < 0 ? CB_ERR : SetCurSel(nRow);
}
