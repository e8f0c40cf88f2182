// The chart of the History window, on Qt Charts: Total Value and Position P/L over time (or
// one symbol's price), with a time axis, and the values of the point nearest the pointer in a
// tooltip.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QChartView>

#include "engine/history/HistoryRows.h"

class QLineSeries;
class QDateTimeAxis;
class QValueAxis;

class CHistoryChartView : public QChartView
{
  public:
    explicit CHistoryChartView(QWidget* pParent = nullptr);

    void ShowValues(const std::vector<SValuePoint>& points);
    void ShowPrices(const std::string& strSymbol, const std::vector<SPricePoint>& points);

    // Total Value (or the symbol's price), and Position P/L (empty for a symbol).
    QLineSeries* MainSeries() const { return m_pMain; }
    QLineSeries* SecondSeries() const { return m_pSecond; }
    // The tooltip for a pointer at this time (milliseconds since 1970): the date and time of
    // the nearest point and its values; empty when the chart has no points.
    std::string TooltipAt(double dMsecs) const;

  protected:
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void leaveEvent(QEvent* pEvent) override;

  private:
    struct SRow
    {
        std::time_t time = 0;
        double dMain = 0;
        std::optional<double> second;
    };
    void Fill();

    std::vector<SRow> m_rows;
    std::string m_strMainName;
    std::string m_strSecondName;
    int m_nDecimals = 2;
    QLineSeries* m_pMain = nullptr;
    QLineSeries* m_pSecond = nullptr;
    QDateTimeAxis* m_pTimeAxis = nullptr;
    QValueAxis* m_pValueAxis = nullptr;
};
