#include "platform/framework/DialogTemplate.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>

namespace {

// The reference text whose average width defines one character.
constexpr const char* kAverageCharSample = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr int kAverageCharSampleLength = 52;

// Dialog units per average character width and height.
constexpr int kUnitsPerCharX = 4;
constexpr int kUnitsPerCharY = 8;

int MulDivRounded(int nValue, int nMul, int nDiv)
{
    const long long product = static_cast<long long>(nValue) * nMul;
    const long long half = nDiv / 2;
    return static_cast<int>(product >= 0 ? (product + half) / nDiv : (product - half) / nDiv);
}

} // namespace

SDialogBaseUnits SDialogBaseUnits::FromFont(const QFont& font)
{
    const QFontMetrics metrics(font);
    SDialogBaseUnits units;
    const int nWidth = metrics.horizontalAdvance(QString::fromLatin1(kAverageCharSample));
    // Rounded half-up average over the 26 letter pairs, as the classic rule has it.
    units.nBaseX = (nWidth / (kAverageCharSampleLength / 2) + 1) / 2;
    units.nBaseY = metrics.height();
    if (units.nBaseX <= 0)
        units.nBaseX = 1;
    if (units.nBaseY <= 0)
        units.nBaseY = 1;
    return units;
}

int SDialogBaseUnits::ToPixelsX(int nUnits) const
{
    return MulDivRounded(nUnits, nBaseX, kUnitsPerCharX);
}

int SDialogBaseUnits::ToPixelsY(int nUnits) const
{
    return MulDivRounded(nUnits, nBaseY, kUnitsPerCharY);
}

QRect SDialogBaseUnits::MapDialogRect(int x, int y, int cx, int cy) const
{
    const int nLeft = ToPixelsX(x);
    const int nTop = ToPixelsY(y);
    return QRect(nLeft, nTop, ToPixelsX(x + cx) - nLeft, ToPixelsY(y + cy) - nTop);
}

QFont DialogFont(const SDialogTemplate& dialogTemplate)
{
    QFont font = QApplication::font();
    const QString family = QString::fromLatin1(dialogTemplate.strFontName.c_str());
    if (!family.isEmpty() && QFontDatabase::families().contains(family, Qt::CaseInsensitive))
        font.setFamily(family);
    if (dialogTemplate.nPointSize > 0)
        font.setPointSize(dialogTemplate.nPointSize);
    return font;
}
