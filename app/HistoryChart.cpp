#include "app/HistoryChart.h"

#include <algorithm>
#include <cmath>

#include <QDateTime>
#include <QDateTimeAxis>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMouseEvent>
#include <QToolTip>
#include <QValueAxis>

#include "app/dialogs/TradeRows.h"
#include "platform/framework/Ansi.h"
#include "platform/text/FormatAmount.h"

namespace {

constexpr double kMsecsPerSecond = 1000.0;
// Labels along the time axis: enough to read a date off, few enough not to crowd.
constexpr int kTimeTicks = 6;
constexpr int kValueTicks = 6;
// Up to about four months the axis names days; beyond, months and years.
constexpr double kDayLabelsUpTo = 120 * 86400.0 * kMsecsPerSecond;

const char* const kTotalValue = "Total Value";
const char* const kPositionPL = "Position P/L";

std::string TimeText(std::time_t when)
{
    std::tm local{};
    localtime_r(&when, &local);
    char clock[8];
    std::strftime(clock, sizeof clock, "%H:%M", &local);
    return FormatTradeDate(static_cast<std::int32_t>(when)) + " " + clock;
}

} // namespace

CHistoryChartView::CHistoryChartView(QWidget* pParent) : QChartView(pParent)
{
    setRenderHint(QPainter::Antialiasing);
    setMouseTracking(true);
    QChart* pChart = chart();
    // Month names and numbers as everywhere else in the program, whatever the locale.
    pChart->setLocale(QLocale::c());
    pChart->setLocalizeNumbers(false);
    pChart->legend()->setAlignment(Qt::AlignBottom);
    pChart->setMargins(QMargins(4, 4, 4, 4));

    m_pMain = new QLineSeries(pChart);
    m_pSecond = new QLineSeries(pChart);
    pChart->addSeries(m_pMain);
    pChart->addSeries(m_pSecond);
    m_pTimeAxis = new QDateTimeAxis(pChart);
    m_pTimeAxis->setTickCount(kTimeTicks);
    m_pValueAxis = new QValueAxis(pChart);
    m_pValueAxis->setTickCount(kValueTicks);
    m_pValueAxis->setLabelFormat("%.0f");
    pChart->addAxis(m_pTimeAxis, Qt::AlignBottom);
    pChart->addAxis(m_pValueAxis, Qt::AlignLeft);
    for (QLineSeries* pSeries : {m_pMain, m_pSecond}) {
        pSeries->attachAxis(m_pTimeAxis);
        pSeries->attachAxis(m_pValueAxis);
    }
}

void CHistoryChartView::ShowValues(const std::vector<SValuePoint>& points)
{
    m_rows.clear();
    m_rows.reserve(points.size());
    for (const SValuePoint& point : points)
        m_rows.push_back({point.time, point.totalValue, point.positionPL});
    m_strMainName = kTotalValue;
    m_strSecondName = kPositionPL;
    m_nDecimals = 2;
    Fill();
}

void CHistoryChartView::ShowPrices(const std::string& strSymbol,
                                   const std::vector<SPricePoint>& points)
{
    m_rows.clear();
    m_rows.reserve(points.size());
    for (const SPricePoint& point : points)
        m_rows.push_back({point.time, point.price, std::nullopt});
    m_strMainName = strSymbol;
    m_strSecondName.clear();
    m_nDecimals = 4;
    Fill();
}

void CHistoryChartView::Fill()
{
    QList<QPointF> main;
    QList<QPointF> second;
    main.reserve(static_cast<qsizetype>(m_rows.size()));
    double dLow = m_rows.empty() ? 0 : m_rows.front().dMain;
    double dHigh = dLow;
    for (const SRow& row : m_rows) {
        const double x = static_cast<double>(row.time) * kMsecsPerSecond;
        main.append(QPointF(x, row.dMain));
        dLow = std::min(dLow, row.dMain);
        dHigh = std::max(dHigh, row.dMain);
        if (row.second) {
            second.append(QPointF(x, *row.second));
            dLow = std::min(dLow, *row.second);
            dHigh = std::max(dHigh, *row.second);
        }
    }
    m_pMain->setName(AnsiToQString(m_strMainName));
    m_pMain->replace(main);
    m_pSecond->setName(AnsiToQString(m_strSecondName));
    m_pSecond->replace(second);
    m_pSecond->setVisible(!m_strSecondName.empty());
    for (QLegendMarker* pMarker : chart()->legend()->markers(m_pSecond))
        pMarker->setVisible(!m_strSecondName.empty());

    if (m_rows.empty())
        return;
    const double dFirst = main.front().x();
    const double dLast = main.back().x();
    // One point alone still gets a day of axis around it.
    const double dPad = dFirst == dLast ? 43200.0 * kMsecsPerSecond : 0.0;
    m_pTimeAxis->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(dFirst - dPad)),
                          QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(dLast + dPad)));
    m_pTimeAxis->setFormat(dLast - dFirst > kDayLabelsUpTo ? "MMM yyyy" : "MMM d");
    if (dLow == dHigh) {
        dLow -= 1;
        dHigh += 1;
    }
    m_pValueAxis->setRange(dLow, dHigh);
    m_pValueAxis->applyNiceNumbers();
}

std::string CHistoryChartView::TooltipAt(double dMsecs) const
{
    if (m_rows.empty())
        return {};
    const auto time = static_cast<std::time_t>(std::llround(dMsecs / kMsecsPerSecond));
    auto it = std::lower_bound(m_rows.begin(), m_rows.end(), time,
                               [](const SRow& row, std::time_t t) { return row.time < t; });
    if (it == m_rows.end() || (it != m_rows.begin() && time - (it - 1)->time < it->time - time))
        --it;
    std::string strText =
        TimeText(it->time) + "\n" + m_strMainName + ": " + FormatAmount(it->dMain, m_nDecimals);
    if (it->second)
        strText += "\n" + m_strSecondName + ": " + FormatAmount(*it->second, 2);
    return strText;
}

void CHistoryChartView::mouseMoveEvent(QMouseEvent* pEvent)
{
    QChartView::mouseMoveEvent(pEvent);
    const QPointF scene = mapToScene(pEvent->position().toPoint());
    const QPointF inChart = chart()->mapFromScene(scene);
    if (m_rows.empty() || !chart()->plotArea().contains(inChart)) {
        QToolTip::hideText();
        return;
    }
    const QPointF value = chart()->mapToValue(inChart, m_pMain);
    QToolTip::showText(pEvent->globalPosition().toPoint(), AnsiToQString(TooltipAt(value.x())),
                       this);
}

void CHistoryChartView::leaveEvent(QEvent* pEvent)
{
    QToolTip::hideText();
    QChartView::leaveEvent(pEvent);
}
