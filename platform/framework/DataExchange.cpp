#include "platform/framework/DataExchange.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <limits>
#include <string_view>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLineEdit>

#include "platform/framework/Dialog.h"
#include "platform/framework/MessageBox.h"

namespace {

// The framework's field messages.
constexpr const char* kMsgNumber = "Please enter a number.";
constexpr const char* kMsgInteger = "Please enter an integer.";
constexpr const char* kMsgPositiveInteger = "Please enter a positive integer.";
constexpr const char* kMsgIntegerRange = "Please enter an integer between %1 and %2.";
constexpr const char* kMsgMaxChars = "Please enter no more than %1 characters.";

// Significant digits of a double in a field: as many as a double reliably holds.
constexpr int kDoubleDigits = 15;
// Room for the longest "%.15g" text (sign, 15 digits, point, exponent) with margin.
constexpr std::size_t kNumberBufferSize = 32;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string Substitute(std::string strText, const std::string& strArg1,
                       const std::string& strArg2 = {})
{
    for (const auto& [strMark, strValue] :
         {std::pair<std::string, std::string>{"%1", strArg1}, {"%2", strArg2}}) {
        const std::size_t nPos = strText.find(strMark);
        if (nPos != std::string::npos)
            strText.replace(nPos, strMark.size(), strValue);
    }
    return strText;
}

} // namespace

// ---- number texts

std::string FormatDouble15(double value)
{
    char buffer[kNumberBufferSize];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::general, kDoubleDigits);
    return std::string(buffer, result.ptr);
}

bool ParseDouble(const std::string& strText, double& value)
{
    std::string_view text = Trim(strText);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    // Only plain decimal forms: sign, digits with one point, optional exponent.
    std::size_t i = 0;
    if (i < text.size() && text[i] == '-')
        ++i;
    std::size_t nDigits = 0;
    while (i < text.size() && IsDigit(text[i]))
        ++i, ++nDigits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i]))
            ++i, ++nDigits;
    }
    if (nDigits == 0)
        return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        std::size_t nExpDigits = 0;
        while (i < text.size() && IsDigit(text[i]))
            ++i, ++nExpDigits;
        if (nExpDigits == 0)
            return false;
    }
    if (i != text.size())
        return false;
    double parsed = 0;
    const auto result =
        std::from_chars(text.data(), text.data() + text.size(), parsed, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() ||
        !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

bool ParseLong(const std::string& strText, long long& value)
{
    std::string_view text = Trim(strText);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty() || text.front() == '+')
        return false;
    long long parsed = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), parsed, 10);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size())
        return false;
    value = parsed;
    return true;
}

// ---- the exchange

CDataExchange::CDataExchange(CDialog* pDlg, bool bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlg)
{
}

QWidget* CDataExchange::PrepareCtrl(int nId)
{
    m_nLastControl = nId;
    return m_pDlgWnd->GetDlgItem(nId);
}

void CDataExchange::Fail(const std::string& strMessage)
{
    if (m_bFailed)
        return;
    m_bFailed = true;
    TfMessageBox(strMessage, MB_OK | MB_ICONEXCLAMATION, {}, m_pDlgWnd);
    m_pDlgWnd->GotoDlgCtrl(m_nLastControl);
}

void DDX_Text(CDataExchange* pDX, int nId, std::string& value)
{
    if (pDX->Failed())
        return;
    pDX->PrepareCtrl(nId);
    if (pDX->m_bSaveAndValidate)
        value = pDX->m_pDlgWnd->GetDlgItemText(nId);
    else
        pDX->m_pDlgWnd->SetDlgItemText(nId, value);
}

namespace {

// Reads a signed integer field into [nMin, nMax]; false after refusing it.
bool ReadSigned(CDataExchange* pDX, int nId, long long nMin, long long nMax, long long& value)
{
    pDX->PrepareCtrl(nId);
    long long parsed = 0;
    if (!ParseLong(pDX->m_pDlgWnd->GetDlgItemText(nId), parsed) || parsed < nMin || parsed > nMax) {
        pDX->Fail(kMsgInteger);
        return false;
    }
    value = parsed;
    return true;
}

// int and long fields: written as decimal, read within the type's range.
template <class T> void ExchangeSigned(CDataExchange* pDX, int nId, T& value)
{
    if (pDX->Failed())
        return;
    if (!pDX->m_bSaveAndValidate) {
        pDX->PrepareCtrl(nId);
        pDX->m_pDlgWnd->SetDlgItemText(nId, std::to_string(value));
        return;
    }
    long long parsed = 0;
    if (ReadSigned(pDX, nId, std::numeric_limits<T>::min(), std::numeric_limits<T>::max(), parsed))
        value = static_cast<T>(parsed);
}

} // namespace

void DDX_Text(CDataExchange* pDX, int nId, int& value)
{
    ExchangeSigned(pDX, nId, value);
}

void DDX_Text(CDataExchange* pDX, int nId, long& value)
{
    ExchangeSigned(pDX, nId, value);
}

void DDX_Text(CDataExchange* pDX, int nId, unsigned& value)
{
    if (pDX->Failed())
        return;
    pDX->PrepareCtrl(nId);
    if (!pDX->m_bSaveAndValidate) {
        pDX->m_pDlgWnd->SetDlgItemText(nId, std::to_string(value));
        return;
    }
    const std::string strText = pDX->m_pDlgWnd->GetDlgItemText(nId);
    long long parsed = 0;
    if (Trim(strText).starts_with('-') || !ParseLong(strText, parsed) || parsed < 0 ||
        parsed > static_cast<long long>(UINT_MAX)) {
        pDX->Fail(kMsgPositiveInteger);
        return;
    }
    value = static_cast<unsigned>(parsed);
}

void DDX_Text(CDataExchange* pDX, int nId, double& value)
{
    if (pDX->Failed())
        return;
    pDX->PrepareCtrl(nId);
    if (!pDX->m_bSaveAndValidate) {
        pDX->m_pDlgWnd->SetDlgItemText(nId, FormatDouble15(value));
        return;
    }
    double parsed = 0;
    if (!ParseDouble(pDX->m_pDlgWnd->GetDlgItemText(nId), parsed)) {
        pDX->Fail(kMsgNumber);
        return;
    }
    value = parsed;
}

void DDX_Check(CDataExchange* pDX, int nId, int& value)
{
    if (pDX->Failed())
        return;
    pDX->PrepareCtrl(nId);
    if (pDX->m_bSaveAndValidate)
        value = pDX->m_pDlgWnd->IsDlgButtonChecked(nId);
    else
        pDX->m_pDlgWnd->CheckDlgButton(nId, value != 0 ? BST_CHECKED : BST_UNCHECKED);
}

void DDX_Radio(CDataExchange* pDX, int nId, int& value)
{
    if (pDX->Failed())
        return;
    auto* pFirst = dynamic_cast<QAbstractButton*>(pDX->PrepareCtrl(nId));
    if (pFirst == nullptr || pFirst->group() == nullptr)
        return;
    const QList<QAbstractButton*> buttons = pFirst->group()->buttons();
    if (pDX->m_bSaveAndValidate) {
        value = -1;
        for (qsizetype i = 0; i < buttons.size(); ++i) {
            if (buttons[i]->isChecked())
                value = static_cast<int>(i);
        }
        return;
    }
    QButtonGroup* pGroup = pFirst->group();
    pGroup->setExclusive(false);
    for (qsizetype i = 0; i < buttons.size(); ++i)
        buttons[i]->setChecked(i == value);
    pGroup->setExclusive(true);
}

void DDX_CBString(CDataExchange* pDX, int nId, std::string& value)
{
    if (pDX->Failed())
        return;
    pDX->PrepareCtrl(nId);
    CComboBox box = pDX->m_pDlgWnd->ComboBox(nId);
    if (pDX->m_bSaveAndValidate)
        value = box.GetWindowText();
    else
        box.SelectString(-1, value);
}

void DDX_CBIndex(CDataExchange* pDX, int nId, int& value)
{
    if (pDX->Failed())
        return;
    pDX->PrepareCtrl(nId);
    CComboBox box = pDX->m_pDlgWnd->ComboBox(nId);
    if (pDX->m_bSaveAndValidate)
        value = box.GetCurSel();
    else
        box.SetCurSel(value);
}

void DDX_LBString(CDataExchange* pDX, int nId, std::string& value)
{
    if (pDX->Failed())
        return;
    pDX->PrepareCtrl(nId);
    CListBox box = pDX->m_pDlgWnd->ListBox(nId);
    if (pDX->m_bSaveAndValidate)
        value = box.GetText(box.GetCurSel());
    else
        box.SelectString(-1, value);
}

void DDX_LBIndex(CDataExchange* pDX, int nId, int& value)
{
    if (pDX->Failed())
        return;
    pDX->PrepareCtrl(nId);
    CListBox box = pDX->m_pDlgWnd->ListBox(nId);
    if (pDX->m_bSaveAndValidate)
        value = box.GetCurSel();
    else
        box.SetCurSel(value);
}

void DDV_MaxChars(CDataExchange* pDX, const std::string& value, int nChars)
{
    if (pDX->Failed())
        return;
    if (!pDX->m_bSaveAndValidate) {
        pDX->m_pDlgWnd->LimitText(pDX->GetLastControl(), nChars);
        return;
    }
    if (value.size() > static_cast<std::size_t>(nChars))
        pDX->Fail(Substitute(kMsgMaxChars, std::to_string(nChars)));
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int nMin, int nMax)
{
    if (pDX->Failed() || !pDX->m_bSaveAndValidate)
        return;
    if (value < nMin || value > nMax)
        pDX->Fail(Substitute(kMsgIntegerRange, std::to_string(nMin), std::to_string(nMax)));
}

void DDV_MinMaxUInt(CDataExchange* pDX, unsigned value, unsigned nMin, unsigned nMax)
{
    if (pDX->Failed() || !pDX->m_bSaveAndValidate)
        return;
    if (value < nMin || value > nMax)
        pDX->Fail(Substitute(kMsgIntegerRange, std::to_string(nMin), std::to_string(nMax)));
}
