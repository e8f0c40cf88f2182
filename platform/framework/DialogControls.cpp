#include "platform/framework/DialogControls.h"

#include <algorithm>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "platform/framework/Ansi.h"
#include "platform/framework/Controls.h"
#include "platform/framework/Resources.h"

namespace DialogControls {
namespace {

// Blocks every typed character that is not a digit, as a number-only edit field does; text
// put in by the program or pasted is not checked here (validation reads it later).
class CDigitsOnlyFilter final : public QObject
{
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override
    {
        if (pEvent->type() == QEvent::KeyPress) {
            const auto* pKey = static_cast<QKeyEvent*>(pEvent);
            const QString text = pKey->text();
            if (!text.isEmpty() && text.at(0).isPrint() &&
                (pKey->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) == 0) {
                for (const QChar ch : text) {
                    if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
                        return true;
                }
            }
        }
        return QObject::eventFilter(pWatched, pEvent);
    }
};

Qt::Alignment TextAlignment(unsigned nStyle)
{
    if ((nStyle & kStyleRight) != 0)
        return Qt::AlignRight | Qt::AlignVCenter;
    if ((nStyle & kStyleCenter) != 0)
        return Qt::AlignHCenter | Qt::AlignVCenter;
    return Qt::AlignLeft | Qt::AlignVCenter;
}

QWidget* MakeLabel(const SDialogItem& item, const QString& text, QWidget* pClient)
{
    auto* pLabel = new QLabel(pClient);
    pLabel->setAlignment((TextAlignment(item.nStyle) & Qt::AlignHorizontal_Mask) | Qt::AlignTop);
    SetLabelText(pLabel, text);
    return pLabel;
}

QWidget* MakeEdit(const SDialogItem& item, const QString& text, QWidget* pClient)
{
    auto* pEdit = new QLineEdit(text, pClient);
    pEdit->setReadOnly((item.nStyle & kStyleReadOnly) != 0);
    pEdit->setAlignment(TextAlignment(item.nStyle));
    if ((item.nStyle & kStyleNumber) != 0)
        pEdit->installEventFilter(new CDigitsOnlyFilter(pEdit));
    return pEdit;
}

QWidget* MakePushButton(const SDialogItem& item, const QString& text, QWidget* pClient)
{
    auto* pButton = new QPushButton(text, pClient);
    // Enter is routed by the dialog itself (keyPressEvent), not by Qt's default button.
    pButton->setAutoDefault(false);
    pButton->setDefault((item.nStyle & kStyleDefault) != 0);
    return pButton;
}

QWidget* MakeCheckBox(const SDialogItem& item, const QString& text, QWidget* pClient)
{
    auto* pCheck = new QCheckBox(text, pClient);
    if ((item.nStyle & kStyleLeftText) != 0)
        pCheck->setLayoutDirection(Qt::RightToLeft);
    return pCheck;
}

QWidget* MakeRadioButton(const SDialogItem& item, const QString& text, QWidget* pClient,
                         QWidget* pPrevRadio)
{
    auto* pRadio = new QRadioButton(text, pClient);
    if ((item.nStyle & kStyleLeftText) != 0)
        pRadio->setLayoutDirection(Qt::RightToLeft);
    // Consecutive radio buttons are one group, as a run of radio buttons in a template.
    pRadio->setAutoExclusive(false);
    QButtonGroup* pGroup = nullptr;
    if (pPrevRadio != nullptr && (item.nStyle & kStyleGroup) == 0)
        pGroup = static_cast<QRadioButton*>(pPrevRadio)->group();
    if (pGroup == nullptr) {
        pGroup = new QButtonGroup(pClient);
        pGroup->setExclusive(true);
    }
    pGroup->addButton(pRadio);
    return pRadio;
}

QWidget* MakeGroupBox(const QString& text, QWidget* pClient)
{
    auto* pGroup = new QGroupBox(StripMnemonic(text), pClient);
    pGroup->setFocusPolicy(Qt::NoFocus);
    return pGroup;
}

QWidget* MakeFrame(QWidget* pClient)
{
    auto* pFrame = new QFrame(pClient);
    pFrame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    return pFrame;
}

QWidget* MakeListBox(const SDialogItem& item, QWidget* pClient)
{
    auto* pList = new QListWidget(pClient);
    pList->setSelectionMode(QAbstractItemView::SingleSelection);
    pList->setProperty(kSortedProperty, (item.nStyle & kStyleSorted) != 0);
    pList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    pList->setTextElideMode(Qt::ElideNone);
    pList->setVerticalScrollBarPolicy((item.nStyle & kStyleVScroll) != 0 ? Qt::ScrollBarAsNeeded
                                                                         : Qt::ScrollBarAlwaysOff);
    CListBox box(pList);
    for (const std::string& strRow : item.items)
        box.AddString(strRow);
    return pList;
}

QWidget* MakeDropDownList(const SDialogItem& item, QWidget* pClient)
{
    auto* pCombo = new QComboBox(pClient);
    pCombo->setEditable(false);
    pCombo->setProperty(kSortedProperty, (item.nStyle & kStyleSorted) != 0);
    CComboBox box(pCombo);
    for (const std::string& strRow : item.items)
        box.AddString(strRow);
    box.SetCurSel(-1);
    return pCombo;
}

QWidget* MakeIcon(const SDialogItem& item, const QString& text, QWidget* pClient,
                  const SDialogBaseUnits& units)
{
    auto* pLabel = new QLabel(pClient);
    bool bNumber = false;
    const unsigned nIcon = text.toUInt(&bNumber);
    if (HICON hIcon = bNumber ? LoadIconResource(nIcon) : nullptr)
        pLabel->setPixmap(hIcon->pixmap(units.ToPixelsX(item.cx > 0 ? item.cx : 20),
                                        units.ToPixelsY(item.cy > 0 ? item.cy : 20)));
    return pLabel;
}

// A label whose template leaves room for two lines of its font or more.
bool IsParagraphLabel(const QRect& rect, const QWidget& label)
{
    constexpr int kParagraphLines = 2;
    return rect.height() >= kParagraphLines * label.fontMetrics().height();
}

} // namespace

QString StripMnemonic(const QString& text)
{
    QString result;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('&') && i + 1 < text.size())
            ++i;
        else if (text.at(i) == QLatin1Char('&'))
            continue;
        result.append(text.at(i));
    }
    return result;
}

void SetLabelText(QLabel* pLabel, const QString& text)
{
    pLabel->setProperty(kTextProperty, text);
    pLabel->setText(pLabel->buddy() != nullptr ? text : StripMnemonic(text));
}

bool TakesFocus(const SDialogItem& item)
{
    switch (item.kind) {
    case EControlKind::Label:
    case EControlKind::GroupBox:
    case EControlKind::Frame:
    case EControlKind::Icon:
        return false;
    default:
        return (item.nStyle & kStyleNoTabStop) == 0;
    }
}

QWidget* MakeControl(const SDialogItem& item, QWidget* pClient, QWidget* pPrevRadio,
                     const SDialogBaseUnits& units)
{
    const QString text = AnsiToQString(item.strText);
    switch (item.kind) {
    case EControlKind::Label:
        return MakeLabel(item, text, pClient);
    case EControlKind::Edit:
        return MakeEdit(item, text, pClient);
    case EControlKind::PushButton:
        return MakePushButton(item, text, pClient);
    case EControlKind::CheckBox:
        return MakeCheckBox(item, text, pClient);
    case EControlKind::RadioButton:
        return MakeRadioButton(item, text, pClient, pPrevRadio);
    case EControlKind::GroupBox:
        return MakeGroupBox(text, pClient);
    case EControlKind::Frame:
        return MakeFrame(pClient);
    case EControlKind::ListBox:
        return MakeListBox(item, pClient);
    case EControlKind::DropDownList:
        return MakeDropDownList(item, pClient);
    case EControlKind::Icon:
        return MakeIcon(item, text, pClient, units);
    case EControlKind::Custom:
        break;
    }
    return new QWidget(pClient);
}

void PlaceControl(const SDialogItem& item, QWidget* pWidget, const SDialogBaseUnits& units)
{
    QRect rect = units.MapDialogRect(item.x, item.y, item.cx, item.cy);
    // A drop-down list's height in the template is that of its open list; closed it is one
    // line high.
    if (item.kind == EControlKind::DropDownList)
        rect.setHeight(std::min(rect.height(), pWidget->sizeHint().height()));
    // A label drawn taller than one line holds a paragraph: it wraps within its width, and
    // grows downwards only should the wrapped text still need more lines than it has.
    const bool bParagraph = item.kind == EControlKind::Label && IsParagraphLabel(rect, *pWidget);
    if (bParagraph) {
        auto* pLabel = static_cast<QLabel*>(pWidget);
        pLabel->setWordWrap(true);
        rect.setHeight(std::max(rect.height(), pLabel->heightForWidth(rect.width())));
    }
    // Texts set in this font can run wider than in the font the template was drawn for;
    // a one-line label or a box grows to show its whole text, away from its aligned edge.
    if ((item.kind == EControlKind::Label && !bParagraph) || item.kind == EControlKind::CheckBox ||
        item.kind == EControlKind::RadioButton) {
        const int nNeeded = pWidget->sizeHint().width();
        if (nNeeded > rect.width()) {
            const bool bGrowLeft = (item.nStyle & (kStyleRight | kStyleLeftText)) != 0;
            if (bGrowLeft)
                rect.setLeft(std::max(0, rect.right() + 1 - nNeeded));
            else
                rect.setWidth(nNeeded);
        }
    }
    pWidget->setGeometry(rect);
    if (item.kind == EControlKind::GroupBox || item.kind == EControlKind::Frame)
        pWidget->lower();
    if ((item.nStyle & kStyleNoTabStop) != 0)
        pWidget->setFocusPolicy(Qt::ClickFocus);
}

} // namespace DialogControls
