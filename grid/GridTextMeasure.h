// CGridTextMeasure: how wide texts are in one font, for a grid that widens its columns to
// the texts written into them. Width is the text as it is drawn; QuickWidth adds up each
// character's advance, kept per character, which settles most texts without shaping them.
#pragma once

#include <array>
#include <string>

#include <QFont>
#include <QFontMetrics>
#include <QFontMetricsF>

class CGridTextMeasure
{
  public:
    explicit CGridTextMeasure(const QFont& font);

    const QFont& Font() const { return m_font; }
    // Pixels the program's 8-bit text takes when drawn in the font.
    int Width(const std::string& text) const;
    // The sum of the characters' advances, rounded up: the drawn width give or take kerning.
    int QuickWidth(const std::string& text);

  private:
    QFont m_font;
    QFontMetrics m_metrics;
    QFontMetricsF m_metricsF;
    // Advance of each byte's character; negative until first asked.
    std::array<qreal, 256> m_advance;
};
