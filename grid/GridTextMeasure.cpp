#include "grid/GridTextMeasure.h"

#include <cmath>

#include "platform/framework/Ansi.h"

CGridTextMeasure::CGridTextMeasure(const QFont& font)
    : m_font(font), m_metrics(font), m_metricsF(font)
{
    m_advance.fill(-1);
}

int CGridTextMeasure::Width(const std::string& text) const
{
    return m_metrics.horizontalAdvance(AnsiToQString(text));
}

int CGridTextMeasure::QuickWidth(const std::string& text)
{
    qreal width = 0;
    for (const char ch : text) {
        qreal& advance = m_advance[static_cast<unsigned char>(ch)];
        if (advance < 0)
            advance = m_metricsF.horizontalAdvance(AnsiToQString(std::string(1, ch)));
        width += advance;
    }
    return static_cast<int>(std::ceil(width));
}
