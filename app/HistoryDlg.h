// CHistoryDlg: the History window, opened from the File menu. It charts the portfolio's
// Total Value and Position P/L over time from the price history beside the portfolio (or one
// symbol's price), over the last month, three months, year or everything, and saves the
// chart as a PNG picture. With nothing to show it says so in place of the chart.
#pragma once

#include <ctime>
#include <functional>
#include <string>

#include "app/HistoryChart.h"
#include "engine/history/HistoryDb.h"
#include "model/BlotterSpace.h"
#include "platform/framework/Dialog.h"

// Controls of the History window.
namespace HistoryIds {
constexpr int kTemplate = 103;
constexpr int kShowBox = 1101; // "Portfolio", then the portfolio's and the imported symbols
constexpr int kRangeMonth = 1102;
constexpr int kRangeQuarter = 1103;
constexpr int kRangeYear = 1104;
constexpr int kRangeAll = 1105;
constexpr int kChart = 1110;
constexpr int kEmptyText = 1111;
constexpr int kSaveImage = 1112;
} // namespace HistoryIds

class CHistoryDlg : public CDialog
{
  public:
    // The document gives the holdings that value imported closes; it is copied.
    CHistoryDlg(const CBlotterSpace& doc, std::string strHistoryPath,
                std::function<std::time_t()> clock, CWnd* pParent = nullptr);

    // Asks where "Save image…" writes; an empty answer saves nothing. A file dialog when
    // not set (tests answer here).
    std::function<QString()> m_askImagePath;

    // Writes the chart as PNG (".png" is added to a name without it); false, after telling
    // the user, when the file cannot be written.
    bool SaveImage(const QString& strPath);

    CHistoryChartView& Chart() { return *m_pChart; }
    bool IsChartShown() const;
    // The text in place of the chart; empty while the chart is shown.
    std::string EmptyText() const;

  protected:
    bool OnInitDialog() override;

  private:
    void FillShowBox();
    void Reload();
    void OnSaveImage();
    void ShowEmpty(const std::string& strText);

    CBlotterSpace m_doc;
    std::string m_strPath;
    std::function<std::time_t()> m_clock;
    CHistoryDb m_db;
    bool m_bReadable = false;
    CHistoryChartView* m_pChart = nullptr;
};
