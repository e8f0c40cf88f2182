#include "app/dialogs/EditTradesDlg.h"

#include <ctime>
#include <limits>

#include <QListWidget>

#include "app/dialogs/DialogTemplates.h"
#include "app/dialogs/TradeRows.h"
#include "platform/framework/DataExchange.h"
#include "platform/framework/MessageBox.h"

namespace {

// The caption of the status group while no trade is shown.
constexpr const char* kNoTradeStatus = " Trade Status ";
// The country shown when neither the trade's nor the base country is in the box: the
// program's own default base country.
constexpr const char* kFallbackCountry = "United States";

std::int32_t SystemNow()
{
    const std::time_t now = std::time(nullptr);
    // The record holds 32-bit times; past 2038 the latest one it can hold is stamped.
    if (now > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(now);
}

// Selects the first entry that begins with the text (ignoring case). An empty text matches
// nothing: as a prefix it would pick whichever entry sorts first.
bool SelectByText(CComboBox box, const std::string& strText)
{
    return !strText.empty() && box.SelectString(-1, strText) != CB_ERR;
}

std::string StatusLine(const TradeRecord& trade)
{
    if (trade.isSell != 0)
        return " Status (trade " + std::to_string(trade.id) + ", refers trade " +
               std::to_string(trade.refId) + ") ";
    return " Status (trade " + std::to_string(trade.id) + ") ";
}

} // namespace

CEditTradesDlg::CEditTradesDlg(CWnd* pParent)
    : CDialog(EditTradesTemplate(), pParent), m_current(MakeEmptyTrade()), m_clock(SystemNow)
{
    MapNotify(kIdTradeList, LBN_SELCHANGE, [this] { ShowSelectedTrade(); });
    MapCommand(kIdAddTrade, [this] { OnAddTrade(); });
    MapCommand(kIdUpdateTrade, [this] { OnUpdateTrade(); });
    MapCommand(kIdRemoveTrade, [this] { OnRemoveTrade(); });
    MapCommand(kIdShowClosed, [this] { OnShowClosed(); });
    MapCommand(kIdSell, [this] { EnableDlgItem(kIdSymbol, false); });
    MapCommand(kIdBuy, [this] { EnableDlgItem(kIdSymbol, true); });
}

void CEditTradesDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Check(pDX, kIdShowClosed, m_bShowClosed);
    DDX_Text(pDX, kIdSymbol, m_strSymbol);
    DDV_MaxChars(pDX, m_strSymbol, static_cast<int>(kSymbolMax));
    DDX_Text(pDX, kIdQuantity, m_dQuantity);
    DDX_Text(pDX, kIdPrice, m_dPrice);
    DDX_Text(pDX, kIdBrokerFee, m_dBrokerFee);
    // The read-only fields only show values; reading them back could refuse a stored value
    // (a realized P/L that prints as "nan") in a field the user cannot correct.
    if (!pDX->m_bSaveAndValidate) {
        DDX_Text(pDX, kIdPurchased, m_strPurchased);
        DDX_Text(pDX, kIdSold, m_strSold);
        DDX_Text(pDX, kIdRealizedPL, m_dRealizedPL);
    }
}

bool CEditTradesDlg::OnInitDialog()
{
    const bool bResult = CDialog::OnInitDialog();
    // The rows are wider than the list on purpose (the trade number stays out of sight).
    if (auto* pList = GetDlgItemAs<QListWidget>(kIdTradeList)) {
        pList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        pList->setTextElideMode(Qt::ElideNone);
    }
    m_current = MakeEmptyTrade();
    m_bCurrentValid = false;
    ChooseBuy(true);
    FillTradeList();
    return bResult;
}

void CEditTradesDlg::ChooseBuy(bool bBuy)
{
    CheckRadioButton(kIdBuy, kIdSell, bBuy ? kIdBuy : kIdSell);
    EnableDlgItem(kIdSymbol, bBuy);
}

void CEditTradesDlg::FillTradeList()
{
    CListBox list = ListBox(kIdTradeList);
    list.ResetContent();
    for (const TradeRecord& trade : m_doc.m_trades) {
        if (trade.status == kStatusDeleted)
            continue;
        if (trade.closed != 0 && m_bShowClosed != 1)
            continue;
        list.AddString(FormatTradeRow(TradeSymbol(trade), trade.id));
    }
    list.SetCurSel(0);
    ShowSelectedTrade();

    CComboBox categories = ComboBox(kIdCategory);
    categories.ResetContent();
    for (const std::string& strName : m_doc.m_categories) {
        if (strName != kCategoryAll)
            categories.AddString(strName);
    }
    if (m_bCurrentValid)
        SelectCategoryAndCountry(TradeCategory(m_current), TradeCountry(m_current));
    else
        SelectCategoryAndCountry(kCategoryUnfiled, m_doc.m_strBaseCountry);
}

void CEditTradesDlg::ClearFields()
{
    m_strSymbol.clear();
    m_dQuantity = 0;
    m_dPrice = 0;
    m_dBrokerFee = 0;
    m_dRealizedPL = 0;
    m_strPurchased.clear();
    m_strSold.clear();
}

void CEditTradesDlg::SelectCategoryAndCountry(const std::string& strCategory,
                                              const std::string& strCountry)
{
    // A box left without a selection stores an empty text rather than another trade's.
    CComboBox categories = ComboBox(kIdCategory);
    categories.SetCurSel(-1);
    if (!SelectByText(categories, strCategory))
        SelectByText(categories, kCategoryUnfiled);

    CComboBox countries = ComboBox(kIdCountry);
    countries.SetCurSel(-1);
    if (!SelectByText(countries, strCountry) && !SelectByText(countries, m_doc.m_strBaseCountry))
        SelectByText(countries, kFallbackCountry);
}

void CEditTradesDlg::ShowSelectedTrade()
{
    ClearFields();
    ChooseBuy(true);
    UpdateData(false);

    CListBox list = ListBox(kIdTradeList);
    const int nSel = list.GetCurSel();
    const STradeRow row = ReadTradeRow(nSel >= 0 ? list.GetText(nSel) : std::string());
    TradeRecord trade = MakeEmptyTrade();
    if (list.GetCount() == 0 || nSel < 0 || !m_doc.FindTrade(row.id, trade)) {
        // Nothing to show (no rows, or a row whose trade number reads as no trade): the rules
        // must not act on the trade shown before.
        m_current = MakeEmptyTrade();
        m_bCurrentValid = false;
        SetDlgItemText(kIdStatusGroup, kNoTradeStatus);
        SelectCategoryAndCountry(kCategoryUnfiled, m_doc.m_strBaseCountry);
        return;
    }
    m_current = trade;
    m_bCurrentValid = true;

    // The whole stored symbol, not only the row's first word: a symbol with a blank would
    // otherwise be cut short by the next update or sale.
    m_strSymbol = TradeSymbol(m_current);
    m_dQuantity = m_current.quantity;
    m_dPrice = m_current.price;
    m_dBrokerFee = m_current.brokerFee;
    m_strPurchased = FormatTradeDate(m_current.buyDate);
    m_strSold.clear();
    m_dRealizedPL = 0;
    if (m_current.isSell == 0) {
        ChooseBuy(true);
    } else {
        ChooseBuy(false);
        m_strSold = FormatTradeDate(m_current.sellDate);
        m_dRealizedPL = m_current.realizedPL;
    }
    SetDlgItemText(kIdStatusGroup, StatusLine(m_current));
    SelectCategoryAndCountry(TradeCategory(m_current), TradeCountry(m_current));
    UpdateData(false);
}

TradeValues CEditTradesDlg::CollectValues() const
{
    TradeValues values;
    values.bSell = IsDlgButtonChecked(kIdSell) == BST_CHECKED;
    values.symbol = m_strSymbol;
    values.quantity = m_dQuantity;
    values.price = m_dPrice;
    values.brokerFee = m_dBrokerFee;
    values.category = ComboBox(kIdCategory).GetWindowText();
    values.country = ComboBox(kIdCountry).GetWindowText();
    return values;
}

void CEditTradesDlg::ShowRefusal(const LedgerResult& result)
{
    TfMessageBox(result.message, MB_OK | MB_ICONSTOP, result.caption, this);
    // A refused number goes back to its field, as a field the framework refuses does.
    switch (result.field) {
    case ETradeField::Quantity:
        GotoDlgCtrl(kIdQuantity);
        break;
    case ETradeField::Price:
        GotoDlgCtrl(kIdPrice);
        break;
    case ETradeField::BrokerFee:
        GotoDlgCtrl(kIdBrokerFee);
        break;
    default:
        break;
    }
}

void CEditTradesDlg::OnAddTrade()
{
    CListBox list = ListBox(kIdTradeList);
    const int nNoted = list.GetCurSel();
    if (!UpdateData(true))
        return;

    const TradeValues values = CollectValues();
    const LedgerResult result =
        values.bSell ? AddSell(m_doc, m_bCurrentValid ? &m_current : nullptr, values, m_clock())
                     : AddBuy(m_doc, values, m_clock());
    if (result.Refused()) {
        ShowRefusal(result);
        if (result.message == kMsgSellAmount) {
            m_dQuantity = result.heldQuantity;
            UpdateData(false);
        }
        return;
    }
    if (!m_doc.FindTrade(result.newId, m_current))
        return;
    m_bCurrentValid = true;

    if (m_current.isSell == 0 || m_bShowClosed == 1)
        list.AddString(FormatTradeRow(TradeSymbol(m_current), m_current.id));
    if (m_current.isSell != 0) {
        TradeRecord buy = MakeEmptyTrade();
        if (m_doc.FindTrade(m_current.refId, buy))
            m_dQuantity = buy.quantity;
        UpdateData(false);
        UpdateData(true);
        FillTradeList();
    }

    // The noted position may now hold another trade, since the list is sorted; a sale that
    // closed its buy may have taken the last row away.
    if (nNoted < 0 || list.SetCurSel(nNoted) == LB_ERR)
        list.SetCurSel(0);
    ShowSelectedTrade();
}

void CEditTradesDlg::OnUpdateTrade()
{
    CListBox list = ListBox(kIdTradeList);
    const int nNoted = list.GetCurSel();
    if (!UpdateData(true))
        return;

    const TradeValues values = CollectValues();
    if (!m_bCurrentValid) {
        // No trade is shown: only the buy-or-sell refusal can apply (an empty record is a buy).
        if (values.bSell) {
            LedgerResult refusal;
            refusal.message = kMsgUpdateBuySell;
            refusal.caption = kCapUpdateError;
            ShowRefusal(refusal);
        }
        return;
    }
    const LedgerResult result = UpdateTrade(m_doc, m_current, values);
    if (result.Refused()) {
        ShowRefusal(result);
        return;
    }
    if (!result.bChanged)
        return;

    TradeRecord updated = MakeEmptyTrade();
    m_doc.FindTrade(m_current.id, updated);
    const std::string strRow = FormatTradeRow(TradeSymbol(updated), updated.id);
    if (nNoted >= 0) {
        list.DeleteString(nNoted);
        list.InsertString(nNoted, strRow);
    } else {
        list.AddString(strRow);
    }
    list.SetCurSel(nNoted);
}

void CEditTradesDlg::OnRemoveTrade()
{
    if (!UpdateData(true))
        return;
    if (!m_bCurrentValid)
        return;
    const LedgerResult result = RemoveTrade(m_doc, m_current);
    if (result.Refused()) {
        ShowRefusal(result);
        return;
    }
    if (!result.bChanged)
        return;
    if (m_current.isSell != 0) {
        // The sale's units went back to its buy, which may have been closed and hidden.
        m_current = MakeEmptyTrade();
        m_bCurrentValid = false;
        FillTradeList();
        return;
    }

    CListBox list = ListBox(kIdTradeList);
    const int nSel = list.GetCurSel();
    if (nSel >= 0)
        list.DeleteString(nSel);
    ClearFields();
    SetDlgItemText(kIdStatusGroup, kNoTradeStatus);
    m_current = MakeEmptyTrade();
    m_bCurrentValid = false;
    UpdateData(false);

    list.SetCurSel(0);
    ShowSelectedTrade();
}

void CEditTradesDlg::OnShowClosed()
{
    UpdateData(true);
    // The list follows the box even when a number field was refused.
    m_bShowClosed = IsDlgButtonChecked(kIdShowClosed) == BST_CHECKED ? 1 : 0;
    FillTradeList();
}
