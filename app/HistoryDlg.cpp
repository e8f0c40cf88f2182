#include "app/HistoryDlg.h"

#include <set>

#include <QFileDialog>
#include <QLineSeries>

#include "engine/history/HistoryQuery.h"
#include "engine/history/HistoryStore.h"
#include "engine/history/LocalDays.h"
#include "platform/framework/Ansi.h"
#include "platform/framework/MessageBox.h"

using namespace HistoryIds;

namespace {

const char* const kPortfolio = "Portfolio";
const char* const kNoHistory = "No price history yet. Every refresh adds to it, and \"tfport "
                               "history import FILE\" brings in past closing prices.";
const char* const kNothingInRange = "Nothing in the price history for this range.";

// The months each range button looks back; 0 for everything.
struct SRangeButton
{
    int nId;
    int nMonths;
};
constexpr SRangeButton kRanges[] = {
    {kRangeMonth, 1}, {kRangeQuarter, 3}, {kRangeYear, 12}, {kRangeAll, 0}};
// Shown first: long enough to see a trend, short enough to see each day.
constexpr int kFirstRange = kRangeYear;

SDialogTemplate HistoryTemplate()
{
    SDialogTemplate t;
    t.nId = kTemplate;
    t.strCaption = "Tallyfern History";
    t.cx = 420;
    t.cy = 262;
    t.items = {
        {IDC_STATIC, EControlKind::Label, "&Show:", 4, 6, 24, 9, kStyleNone, {}},
        {kShowBox, EControlKind::DropDownList, "", 30, 4, 100, 120, kStyleNone, {}},
        {kRangeMonth, EControlKind::RadioButton, "1 month", 150, 5, 46, 10, kStyleGroup, {}},
        {kRangeQuarter, EControlKind::RadioButton, "3 months", 198, 5, 50, 10, kStyleNone, {}},
        {kRangeYear, EControlKind::RadioButton, "1 year", 250, 5, 42, 10, kStyleNone, {}},
        {kRangeAll, EControlKind::RadioButton, "All", 294, 5, 30, 10, kStyleNone, {}},
        {kChart, EControlKind::Custom, "", 2, 20, 416, 220, kStyleNone, {}},
        {kEmptyText, EControlKind::Label, "", 20, 120, 380, 20, kStyleCenter, {}},
        // "…" is byte 0x85 in the program's texts.
        {kSaveImage, EControlKind::PushButton, "Save &image\x85", 4, 244, 64, 14, kStyleNone, {}},
        {IDOK, EControlKind::PushButton, "Close", 354, 244, 60, 14, kStyleDefault, {}},
    };
    return t;
}

} // namespace

CHistoryDlg::CHistoryDlg(const CBlotterSpace& doc, std::string strHistoryPath,
                         std::function<std::time_t()> clock, CWnd* pParent)
    : CDialog(HistoryTemplate(), pParent), m_doc(doc), m_strPath(std::move(strHistoryPath)),
      m_clock(std::move(clock))
{
    MapNotify(kShowBox, CBN_SELCHANGE, [this] { Reload(); });
    for (const SRangeButton& range : kRanges)
        MapCommand(static_cast<unsigned>(range.nId), [this] { Reload(); });
    MapCommand(kSaveImage, [this] { OnSaveImage(); });
}

bool CHistoryDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_pChart = new CHistoryChartView;
    SubclassDlgItem(kChart, m_pChart);
    m_bReadable = m_db.Open(m_strPath, EHistoryOpen::ExistingOnly);
    FillShowBox();
    CheckRadioButton(kRangeMonth, kRangeAll, kFirstRange);
    Reload();
    return true;
}

void CHistoryDlg::FillShowBox()
{
    CComboBox box = ComboBox(kShowBox);
    box.ResetContent();
    box.AddString(kPortfolio);
    // The portfolio's securities, held or sold, and those with imported closes.
    std::set<std::string> symbols;
    for (const TradeRecord& trade : m_doc.m_trades) {
        if (trade.status != kStatusDeleted)
            symbols.insert(TradeSymbol(trade));
    }
    std::vector<std::string> imported;
    if (m_bReadable && ReadImportedSymbols(m_db, imported))
        symbols.insert(imported.begin(), imported.end());
    for (const std::string& strSymbol : symbols)
        box.AddString(strSymbol);
    box.SetCurSel(0);
}

void CHistoryDlg::Reload()
{
    if (!m_db.DamagedCopy().empty()) {
        // The reader found the history damaged: the new one it started is empty.
        ShowEmpty("The price history was damaged; it is kept as " + m_db.DamagedCopy() +
                  " and a new one was started.");
        return;
    }
    if (!m_bReadable) {
        ShowEmpty(m_db.Fault() == EHistoryFault::Missing
                      ? kNoHistory
                      : "The price history cannot be read: " + m_db.FaultText() + ".");
        return;
    }
    int nMonths = 0;
    const int nChecked = GetCheckedRadioButton(kRangeMonth, kRangeAll);
    for (const SRangeButton& range : kRanges) {
        if (range.nId == nChecked)
            nMonths = range.nMonths;
    }
    SHistoryRange range;
    if (nMonths > 0)
        range.since = StartOfLocalDay(MonthsBefore(LocalDateOf(m_clock()), nMonths));
    // Beyond a month a day is one point: its last.
    const bool bDaily = nMonths != 1;

    const CComboBox box = ComboBox(kShowBox);
    const int nSel = box.GetCurSel();
    bool bRead = false;
    bool bEmpty = true;
    if (nSel <= 0) {
        std::vector<SValuePoint> points;
        bRead = QueryValueSeries(m_db, m_doc, range, bDaily, points);
        bEmpty = points.empty();
        if (bRead && !bEmpty)
            m_pChart->ShowValues(points);
    } else {
        std::vector<SPricePoint> points;
        bRead = QueryPriceSeries(m_db, box.GetLBText(nSel), range, bDaily, points);
        bEmpty = points.empty();
        if (bRead && !bEmpty)
            m_pChart->ShowPrices(box.GetLBText(nSel), points);
    }
    if (!bRead) {
        ShowEmpty("The price history cannot be read: " + m_db.FaultText() + ".");
        return;
    }
    if (bEmpty) {
        std::vector<SValuePoint> any;
        const bool bNone = !QueryValueSeries(m_db, m_doc, {}, true, any) || any.empty();
        ShowEmpty(bNone && box.GetCount() <= 1 ? kNoHistory : kNothingInRange);
        return;
    }
    GetDlgItem(kEmptyText)->setVisible(false);
    SetDlgItemText(kEmptyText, "");
    m_pChart->setVisible(true);
    EnableDlgItem(kSaveImage, true);
}

void CHistoryDlg::ShowEmpty(const std::string& strText)
{
    m_pChart->setVisible(false);
    SetDlgItemText(kEmptyText, strText);
    GetDlgItem(kEmptyText)->setVisible(true);
    EnableDlgItem(kSaveImage, false);
}

bool CHistoryDlg::IsChartShown() const
{
    return m_pChart != nullptr && !m_pChart->isHidden();
}

std::string CHistoryDlg::EmptyText() const
{
    return IsChartShown() ? std::string() : GetDlgItemText(kEmptyText);
}

void CHistoryDlg::OnSaveImage()
{
    const QString strPath =
        m_askImagePath ? m_askImagePath()
                       : QFileDialog::getSaveFileName(this, "Save image", "tallyfern-history.png",
                                                      "PNG images (*.png)");
    if (!strPath.isEmpty())
        SaveImage(strPath);
}

bool CHistoryDlg::SaveImage(const QString& strPath)
{
    QString strFile = strPath;
    if (!strFile.endsWith(".png", Qt::CaseInsensitive))
        strFile += ".png";
    if (m_pChart->grab().save(strFile, "PNG"))
        return true;
    TfMessageBox("The chart could not be saved as " + QStringToAnsi(strFile) + ".",
                 MB_OK | MB_ICONEXCLAMATION, {}, this);
    return false;
}
