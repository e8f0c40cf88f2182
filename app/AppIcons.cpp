#include "app/AppIcons.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

const QColor kFernDark(34, 96, 52);
const QColor kFernLight(92, 170, 96);
const QColor kGainFill(28, 150, 58);
const QColor kLossFill(205, 32, 32);

// The drawings are made on a 64-unit square and scaled to the size asked for.
constexpr qreal kDesignSize = 64.0;

void DrawProgramIcon(QPainter& painter)
{
    // A rounded ledger card with a rising price line and a fern frond beside it.
    QLinearGradient background(0, 0, 0, kDesignSize);
    background.setColorAt(0.0, QColor(250, 250, 244));
    background.setColorAt(1.0, QColor(222, 232, 214));
    painter.setPen(QPen(kFernDark, 3));
    painter.setBrush(background);
    painter.drawRoundedRect(QRectF(4, 4, 56, 56), 9, 9);

    painter.setPen(QPen(QColor(180, 190, 172), 1.5));
    for (int nLine = 0; nLine < 3; ++nLine)
        painter.drawLine(QPointF(10, 20 + 12 * nLine), QPointF(54, 20 + 12 * nLine));

    QPainterPath price;
    price.moveTo(10, 48);
    price.lineTo(22, 38);
    price.lineTo(31, 43);
    price.lineTo(43, 24);
    price.lineTo(54, 15);
    painter.setPen(QPen(QColor(20, 70, 160), 4.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(price);

    // The frond: a curved stem with leaflets that shrink towards the tip.
    painter.setPen(QPen(kFernDark, 2.2, Qt::SolidLine, Qt::RoundCap));
    QPainterPath stem;
    stem.moveTo(14, 56);
    stem.quadTo(12, 40, 24, 30);
    painter.drawPath(stem);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kFernLight);
    for (int nLeaf = 0; nLeaf < 4; ++nLeaf) {
        const qreal t = nLeaf / 4.0;
        const QPointF at(13.5 + 6 * t * t + 2 * t, 52 - 20 * t);
        const qreal r = 5.5 - 3.0 * t;
        painter.drawEllipse(QRectF(at.x() - r - 3, at.y() - r / 2, r * 1.6, r));
        painter.drawEllipse(QRectF(at.x() + 1, at.y() - r / 2 - 2, r * 1.6, r));
    }
}

void DrawArrowIcon(QPainter& painter, bool bUp)
{
    const QColor fill = bUp ? kGainFill : kLossFill;
    painter.setPen(QPen(fill.darker(150), 3));
    painter.setBrush(fill);
    painter.drawEllipse(QRectF(3, 3, 58, 58));

    // A broad white arrow: wide head, short shaft, readable at 16 pixels.
    QPainterPath arrow;
    arrow.moveTo(32, 10);
    arrow.lineTo(54, 34);
    arrow.lineTo(41, 34);
    arrow.lineTo(41, 54);
    arrow.lineTo(23, 54);
    arrow.lineTo(23, 34);
    arrow.lineTo(10, 34);
    arrow.closeSubpath();
    if (!bUp) {
        QTransform flip;
        flip.translate(0, kDesignSize);
        flip.scale(1, -1);
        arrow = flip.map(arrow);
    }
    painter.setPen(QPen(QColor(255, 255, 255), 1));
    painter.setBrush(QColor(255, 255, 255));
    painter.drawPath(arrow);
}

} // namespace

QImage DrawAppIcon(int nId, int nSize)
{
    if (nSize <= 0 || (nId != kProgramIcon && nId != kGainIcon && nId != kLossIcon))
        return {};
    QImage image(nSize, nSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(nSize / kDesignSize, nSize / kDesignSize);
    if (nId == kProgramIcon)
        DrawProgramIcon(painter);
    else
        DrawArrowIcon(painter, nId == kGainIcon);
    painter.end();
    return image;
}
