#include "platform/framework/Dialog.h"

#include <algorithm>
#include <cstdint>

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QEventLoop>
#include <QFrame>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTimerEvent>
#include <QVBoxLayout>

#include "platform/framework/Ansi.h"
#include "platform/framework/DataExchange.h"
#include "platform/framework/Shell.h"

namespace {

// Property keeping a label's text as given, "&" markers included.
constexpr const char* kTextProperty = "tfText";
// Property set on boxes created sorted (read by Controls.cpp).
constexpr const char* kSortedProperty = "tfSorted";

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

// The text of a label without its mnemonic markers ("&&" stays one "&").
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

Qt::Alignment TextAlignment(unsigned nStyle)
{
    if ((nStyle & kStyleRight) != 0)
        return Qt::AlignRight | Qt::AlignVCenter;
    if ((nStyle & kStyleCenter) != 0)
        return Qt::AlignHCenter | Qt::AlignVCenter;
    return Qt::AlignLeft | Qt::AlignVCenter;
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

// A label whose template leaves room for two lines of its font or more.
bool IsParagraphLabel(const QRect& rect, const QWidget& label)
{
    constexpr int kParagraphLines = 2;
    return rect.height() >= kParagraphLines * label.fontMetrics().height();
}

void SetLabelText(QLabel* pLabel, const QString& text)
{
    pLabel->setProperty(kTextProperty, text);
    pLabel->setText(pLabel->buddy() != nullptr ? text : StripMnemonic(text));
}

} // namespace

CDialog::CDialog(SDialogTemplate dialogTemplate, CWnd* pParent)
    : QDialog(pParent != nullptr ? pParent->GetWidget() : nullptr),
      m_template(std::move(dialogTemplate)), m_pParentWnd(pParent)
{
}

CDialog::~CDialog()
{
    for (const auto& [nId, timer] : m_timers)
        killTimer(timer.first);
}

// ---- creation and the modal loop

bool CDialog::Create()
{
    if (m_bCreated)
        return true;

    const QFont font = DialogFont(m_template);
    setFont(font);
    m_units = SDialogBaseUnits::FromFont(font);
    setWindowTitle(AnsiToQString(m_template.strCaption));

    Qt::WindowFlags flags = (m_pParentWnd == nullptr ? Qt::Window : Qt::Dialog) |
                            Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                            Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint;
    if (m_template.bMinimizeBox)
        flags |= Qt::WindowMinimizeButtonHint;
    if (m_template.bMaximizeBox)
        flags |= Qt::WindowMaximizeButtonHint;
    setWindowFlags(flags);

    auto* pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setSpacing(0);
    // The template gives the client area; the menu bar comes on top and nothing resizes.
    pLayout->setSizeConstraint(QLayout::SetFixedSize);
    if (m_template.nMenuId != 0) {
        if (const MenuTemplate* pMenu = FindMenuResource(m_template.nMenuId)) {
            m_pMenuBar = new QMenuBar(this);
            for (const SMenuItem& item : *pMenu) {
                if (item.popup.empty())
                    continue;
                QMenu* pPopup = m_pMenuBar->addMenu(AnsiToQString(item.strText));
                CMenu::FillQMenu(pPopup, item.popup);
            }
            QObject::connect(m_pMenuBar, &QMenuBar::triggered, this, [this](QAction* pAction) {
                const unsigned nId = CMenu::CommandOf(pAction);
                if (nId != 0)
                    SendMessage(WM_COMMAND, MAKEWPARAM(nId, 0), 0);
            });
            pLayout->setMenuBar(m_pMenuBar);
        }
    }
    m_pClient = new QWidget(this);
    m_pClient->setFixedSize(m_units.ToPixelsX(m_template.cx), m_units.ToPixelsY(m_template.cy));
    pLayout->addWidget(m_pClient);

    QWidget* pPrevRadio = nullptr;
    QLabel* pPendingLabel = nullptr;
    for (const SDialogItem& item : m_template.items) {
        QWidget* pWidget = CreateControl(item, pPrevRadio);
        pPrevRadio = item.kind == EControlKind::RadioButton ? pWidget : nullptr;
        if (item.nId != IDC_STATIC)
            m_controls[item.nId] = pWidget;
        // A label's mnemonic moves the focus to the next control that takes it.
        if (pPendingLabel != nullptr && TakesFocus(item)) {
            pPendingLabel->setBuddy(pWidget);
            SetLabelText(pPendingLabel, pPendingLabel->property(kTextProperty).toString());
            pPendingLabel = nullptr;
        }
        if (item.kind == EControlKind::Label && item.strText.find('&') != std::string::npos)
            pPendingLabel = static_cast<QLabel*>(pWidget);
        if ((item.nStyle & kStyleDisabled) != 0)
            pWidget->setEnabled(false);
    }
    for (const auto& [nId, pWidget] : m_controls)
        ConnectControl(nId, pWidget);

    auto* pSysShortcut = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
    QObject::connect(pSysShortcut, &QShortcut::activated, this,
                     [this] { ShowSystemMenu(mapToGlobal(QPoint(0, 0))); });

    m_bCreated = true;
    if (!OnCreate())
        return false;
    if (OnInitDialog()) {
        for (const SDialogItem& item : m_template.items) {
            QWidget* pWidget = item.nId != IDC_STATIC ? GetDlgItem(item.nId) : nullptr;
            if (pWidget != nullptr && TakesFocus(item) && pWidget->isEnabled()) {
                pWidget->setFocus();
                break;
            }
        }
    }
    RefreshCtlColors();
    return true;
}

QWidget* CDialog::CreateControl(const SDialogItem& item, QWidget* pPrevRadio)
{
    const QString text = AnsiToQString(item.strText);
    QWidget* pWidget = nullptr;
    switch (item.kind) {
    case EControlKind::Label: {
        auto* pLabel = new QLabel(m_pClient);
        pLabel->setAlignment((TextAlignment(item.nStyle) & Qt::AlignHorizontal_Mask) |
                             Qt::AlignTop);
        SetLabelText(pLabel, text);
        pWidget = pLabel;
        break;
    }
    case EControlKind::Edit: {
        auto* pEdit = new QLineEdit(text, m_pClient);
        pEdit->setReadOnly((item.nStyle & kStyleReadOnly) != 0);
        pEdit->setAlignment(TextAlignment(item.nStyle));
        if ((item.nStyle & kStyleNumber) != 0)
            pEdit->installEventFilter(new CDigitsOnlyFilter(pEdit));
        pWidget = pEdit;
        break;
    }
    case EControlKind::PushButton: {
        auto* pButton = new QPushButton(text, m_pClient);
        // Enter is routed by the dialog itself (keyPressEvent), not by Qt's default button.
        pButton->setAutoDefault(false);
        pButton->setDefault((item.nStyle & kStyleDefault) != 0);
        pWidget = pButton;
        break;
    }
    case EControlKind::CheckBox: {
        auto* pCheck = new QCheckBox(text, m_pClient);
        if ((item.nStyle & kStyleLeftText) != 0)
            pCheck->setLayoutDirection(Qt::RightToLeft);
        pWidget = pCheck;
        break;
    }
    case EControlKind::RadioButton: {
        auto* pRadio = new QRadioButton(text, m_pClient);
        if ((item.nStyle & kStyleLeftText) != 0)
            pRadio->setLayoutDirection(Qt::RightToLeft);
        // Consecutive radio buttons are one group, as a run of radio buttons in a template.
        pRadio->setAutoExclusive(false);
        QButtonGroup* pGroup = nullptr;
        if (pPrevRadio != nullptr && (item.nStyle & kStyleGroup) == 0)
            pGroup = static_cast<QRadioButton*>(pPrevRadio)->group();
        if (pGroup == nullptr) {
            pGroup = new QButtonGroup(m_pClient);
            pGroup->setExclusive(true);
        }
        pGroup->addButton(pRadio);
        pWidget = pRadio;
        break;
    }
    case EControlKind::GroupBox: {
        auto* pGroup = new QGroupBox(StripMnemonic(text), m_pClient);
        pGroup->setFocusPolicy(Qt::NoFocus);
        pWidget = pGroup;
        break;
    }
    case EControlKind::Frame: {
        auto* pFrame = new QFrame(m_pClient);
        pFrame->setFrameStyle(QFrame::Box | QFrame::Sunken);
        pWidget = pFrame;
        break;
    }
    case EControlKind::ListBox: {
        auto* pList = new QListWidget(m_pClient);
        pList->setSelectionMode(QAbstractItemView::SingleSelection);
        pList->setProperty(kSortedProperty, (item.nStyle & kStyleSorted) != 0);
        pList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        pList->setTextElideMode(Qt::ElideNone);
        pList->setVerticalScrollBarPolicy(
            (item.nStyle & kStyleVScroll) != 0 ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
        pWidget = pList;
        CListBox box(pList);
        for (const std::string& strRow : item.items)
            box.AddString(strRow);
        break;
    }
    case EControlKind::DropDownList: {
        auto* pCombo = new QComboBox(m_pClient);
        pCombo->setEditable(false);
        pCombo->setProperty(kSortedProperty, (item.nStyle & kStyleSorted) != 0);
        pWidget = pCombo;
        CComboBox box(pCombo);
        for (const std::string& strRow : item.items)
            box.AddString(strRow);
        box.SetCurSel(-1);
        break;
    }
    case EControlKind::Icon: {
        auto* pLabel = new QLabel(m_pClient);
        bool bNumber = false;
        const unsigned nIcon = text.toUInt(&bNumber);
        if (HICON hIcon = bNumber ? LoadIconResource(nIcon) : nullptr)
            pLabel->setPixmap(hIcon->pixmap(m_units.ToPixelsX(item.cx > 0 ? item.cx : 20),
                                            m_units.ToPixelsY(item.cy > 0 ? item.cy : 20)));
        pWidget = pLabel;
        break;
    }
    case EControlKind::Custom:
        pWidget = new QWidget(m_pClient);
        break;
    }
    QRect rect = m_units.MapDialogRect(item.x, item.y, item.cx, item.cy);
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
    return pWidget;
}

void CDialog::ConnectControl(int nId, QWidget* pWidget)
{
    const auto nCmd = static_cast<unsigned>(nId);
    if (auto* pButton = qobject_cast<QAbstractButton*>(pWidget)) {
        QObject::connect(pButton, &QAbstractButton::clicked, this, [this, nCmd] {
            SendMessage(WM_COMMAND, MAKEWPARAM(nCmd, BN_CLICKED), 0);
        });
    } else if (auto* pList = qobject_cast<QListWidget*>(pWidget)) {
        QObject::connect(pList, &QListWidget::itemSelectionChanged, this, [this, nCmd] {
            SendMessage(WM_COMMAND, MAKEWPARAM(nCmd, LBN_SELCHANGE), 0);
        });
    } else if (auto* pCombo = qobject_cast<QComboBox*>(pWidget)) {
        QObject::connect(pCombo, &QComboBox::activated, this, [this, nCmd] {
            SendMessage(WM_COMMAND, MAKEWPARAM(nCmd, CBN_SELCHANGE), 0);
        });
    } else if (auto* pEdit = qobject_cast<QLineEdit*>(pWidget)) {
        QObject::connect(pEdit, &QLineEdit::textEdited, this,
                         [this, nCmd] { SendMessage(WM_COMMAND, MAKEWPARAM(nCmd, EN_CHANGE), 0); });
        QObject::connect(pEdit, &QLineEdit::textChanged, this, [this, nId] { ApplyCtlColor(nId); });
    }
}

bool CDialog::OnInitDialog()
{
    return UpdateData(false);
}

int CDialog::DoModal()
{
    if (!m_bCreated && !Create())
        return -1;
    if (!m_bEnded) {
        if (m_pParentWnd != nullptr)
            setWindowModality(Qt::ApplicationModal);
        show();
        QEventLoop loop;
        m_pLoop = &loop;
        loop.exec(QEventLoop::DialogExec);
        m_pLoop = nullptr;
    }
    hide();
    return m_nResult;
}

void CDialog::EndDialog(int nResult)
{
    m_nResult = nResult;
    m_bEnded = true;
    if (m_pLoop != nullptr)
        m_pLoop->exit(0);
    else
        hide();
}

void CDialog::done(int nResult)
{
    EndDialog(nResult == QDialog::Accepted ? IDOK : nResult);
}

bool CDialog::UpdateData(bool bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return !dx.Failed();
}

// ---- messages and commands

void CDialog::MapCommand(unsigned nId, std::function<void()> handler)
{
    MapNotify(nId, BN_CLICKED, std::move(handler));
}

void CDialog::MapNotify(unsigned nId, unsigned nCode, std::function<void()> handler)
{
    m_commands[{nId, nCode}] = std::move(handler);
}

void CDialog::MapMessage(unsigned nMsg, std::function<LRESULT(WPARAM, LPARAM)> handler)
{
    m_messages[nMsg] = std::move(handler);
}

LRESULT CDialog::WindowProc(unsigned nMsg, WPARAM wParam, LPARAM lParam)
{
    if (const auto it = m_messages.find(nMsg); it != m_messages.end()) {
        // A copy, so that a handler may replace its own registration.
        const auto handler = it->second;
        return handler(wParam, lParam);
    }
    switch (nMsg) {
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam)) ? 1 : 0;
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_TIMER:
        OnTimer(static_cast<unsigned>(wParam));
        return 0;
    case WM_SYSCOMMAND:
        OnSysCommand(static_cast<unsigned>(wParam));
        return 0;
    default:
        return 0;
    }
}

bool CDialog::OnCommand(unsigned nId, unsigned nCode)
{
    if (const auto it = m_commands.find({nId, nCode}); it != m_commands.end()) {
        const auto handler = it->second;
        handler();
        return true;
    }
    if (nCode != BN_CLICKED)
        return false;
    if (nId == static_cast<unsigned>(IDOK)) {
        OnOK();
        return true;
    }
    if (nId == static_cast<unsigned>(IDCANCEL)) {
        OnCancel();
        return true;
    }
    if (nId == ID_APP_EXIT) {
        SendMessage(WM_CLOSE);
        return true;
    }
    return false;
}

void CDialog::OnOK()
{
    if (UpdateData(true))
        EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::OnClose()
{
    SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

void CDialog::OnSysCommand(unsigned nId)
{
    if (nId == SC_CLOSE)
        SendMessage(WM_CLOSE);
    else if (nId == SC_MINIMIZE)
        showMinimized();
}

void CDialog::keyPressEvent(QKeyEvent* pEvent)
{
    const int nKey = pEvent->key();
    if (pEvent->modifiers() == Qt::NoModifier || pEvent->modifiers() == Qt::KeypadModifier) {
        if (nKey == Qt::Key_Escape) {
            SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            return;
        }
        if (nKey == Qt::Key_Return || nKey == Qt::Key_Enter) {
            if (auto* pFocus = qobject_cast<QPushButton*>(focusWidget());
                pFocus != nullptr && pFocus->isEnabled()) {
                pFocus->click();
                return;
            }
            unsigned nTarget = IDOK;
            for (const SDialogItem& item : m_template.items) {
                if (item.kind == EControlKind::PushButton && (item.nStyle & kStyleDefault) != 0)
                    nTarget = static_cast<unsigned>(item.nId);
            }
            if (QWidget* pButton = GetDlgItem(static_cast<int>(nTarget));
                pButton != nullptr && !pButton->isEnabled())
                return;
            SendMessage(WM_COMMAND, MAKEWPARAM(nTarget, BN_CLICKED), 0);
            return;
        }
    }
    QWidget::keyPressEvent(pEvent);
}

void CDialog::closeEvent(QCloseEvent* pEvent)
{
    // The window closes only through EndDialog; the close box is a request.
    pEvent->ignore();
    SendMessage(WM_CLOSE);
}

void CDialog::timerEvent(QTimerEvent* pEvent)
{
    for (const auto& [nId, timer] : m_timers) {
        if (timer.first == pEvent->timerId()) {
            SendMessage(WM_TIMER, nId, 0);
            return;
        }
    }
    QDialog::timerEvent(pEvent);
}

void CDialog::contextMenuEvent(QContextMenuEvent* pEvent)
{
    // A right click on the dialog's own background opens the system menu.
    if (childAt(pEvent->pos()) == m_pClient || childAt(pEvent->pos()) == nullptr)
        ShowSystemMenu(pEvent->globalPos());
}

// ---- controls

QWidget* CDialog::GetDlgItem(int nId) const
{
    const auto it = m_controls.find(nId);
    return it == m_controls.end() ? nullptr : it->second;
}

std::string CDialog::GetDlgItemText(int nId) const
{
    QWidget* pWidget = GetDlgItem(nId);
    if (auto* pEdit = qobject_cast<QLineEdit*>(pWidget))
        return QStringToAnsi(pEdit->text());
    if (auto* pLabel = qobject_cast<QLabel*>(pWidget))
        return QStringToAnsi(pLabel->property(kTextProperty).toString());
    if (auto* pButton = qobject_cast<QAbstractButton*>(pWidget))
        return QStringToAnsi(pButton->text());
    if (auto* pGroup = qobject_cast<QGroupBox*>(pWidget))
        return QStringToAnsi(pGroup->title());
    if (auto* pCombo = qobject_cast<QComboBox*>(pWidget))
        return QStringToAnsi(pCombo->currentText());
    if (pWidget != nullptr)
        return QStringToAnsi(pWidget->windowTitle());
    return {};
}

void CDialog::SetDlgItemText(int nId, const std::string& strText)
{
    QWidget* pWidget = GetDlgItem(nId);
    const QString text = AnsiToQString(strText);
    if (auto* pEdit = qobject_cast<QLineEdit*>(pWidget)) {
        pEdit->setText(text);
        pEdit->setCursorPosition(0);
    } else if (auto* pLabel = qobject_cast<QLabel*>(pWidget)) {
        SetLabelText(pLabel, text);
    } else if (auto* pButton = qobject_cast<QAbstractButton*>(pWidget)) {
        pButton->setText(text);
    } else if (auto* pGroup = qobject_cast<QGroupBox*>(pWidget)) {
        pGroup->setTitle(StripMnemonic(text));
    } else if (auto* pCombo = qobject_cast<QComboBox*>(pWidget)) {
        CComboBox(pCombo).SelectString(-1, strText);
    } else if (pWidget != nullptr) {
        pWidget->setWindowTitle(text);
    }
    ApplyCtlColor(nId);
}

void CDialog::EnableDlgItem(int nId, bool bEnable)
{
    if (QWidget* pWidget = GetDlgItem(nId))
        pWidget->setEnabled(bEnable);
}

bool CDialog::IsDlgItemEnabled(int nId) const
{
    const QWidget* pWidget = GetDlgItem(nId);
    return pWidget != nullptr && pWidget->isEnabled();
}

void CDialog::CheckDlgButton(int nId, int nCheck)
{
    if (auto* pButton = GetDlgItemAs<QAbstractButton>(nId)) {
        // An exclusive group refuses to uncheck its checked button directly.
        QButtonGroup* pGroup = pButton->group();
        const bool bExclusive = pGroup != nullptr && pGroup->exclusive();
        if (bExclusive && nCheck == BST_UNCHECKED)
            pGroup->setExclusive(false);
        pButton->setChecked(nCheck != BST_UNCHECKED);
        if (bExclusive && nCheck == BST_UNCHECKED)
            pGroup->setExclusive(true);
    }
}

int CDialog::IsDlgButtonChecked(int nId) const
{
    const auto* pButton = GetDlgItemAs<QAbstractButton>(nId);
    return pButton != nullptr && pButton->isChecked() ? BST_CHECKED : BST_UNCHECKED;
}

void CDialog::CheckRadioButton(int nFirst, int nLast, int nCheck)
{
    for (int nId = nFirst; nId <= nLast; ++nId) {
        if (nId != nCheck)
            CheckDlgButton(nId, BST_UNCHECKED);
    }
    CheckDlgButton(nCheck, BST_CHECKED);
}

int CDialog::GetCheckedRadioButton(int nFirst, int nLast) const
{
    for (int nId = nFirst; nId <= nLast; ++nId) {
        if (IsDlgButtonChecked(nId) == BST_CHECKED)
            return nId;
    }
    return 0;
}

CListBox CDialog::ListBox(int nId) const
{
    return CListBox(GetDlgItemAs<QListWidget>(nId));
}

CComboBox CDialog::ComboBox(int nId) const
{
    return CComboBox(GetDlgItemAs<QComboBox>(nId));
}

void CDialog::LimitText(int nId, int nChars)
{
    if (auto* pEdit = GetDlgItemAs<QLineEdit>(nId))
        pEdit->setMaxLength(nChars > 0 ? nChars : 32767);
}

void CDialog::GotoDlgCtrl(int nId)
{
    QWidget* pWidget = GetDlgItem(nId);
    if (pWidget == nullptr)
        return;
    pWidget->setFocus(Qt::OtherFocusReason);
    if (auto* pEdit = qobject_cast<QLineEdit*>(pWidget))
        pEdit->selectAll();
}

bool CDialog::SubclassDlgItem(int nId, QWidget* pControl)
{
    QWidget* pOld = GetDlgItem(nId);
    if (pOld == nullptr || pControl == nullptr)
        return false;
    pControl->setParent(m_pClient);
    pControl->setGeometry(pOld->geometry());
    pControl->stackUnder(pOld);
    pControl->show();
    m_controls[nId] = pControl;
    pOld->hide();
    pOld->deleteLater();
    return true;
}

void CDialog::ApplyCtlColor(int nId)
{
    QWidget* pWidget = GetDlgItem(nId);
    COLORREF crText = 0;
    if (pWidget == nullptr || !OnCtlColor(nId, crText))
        return;
    const QColor color(static_cast<int>(GetRValue(crText)), static_cast<int>(GetGValue(crText)),
                       static_cast<int>(GetBValue(crText)));
    QPalette palette = pWidget->palette();
    palette.setColor(QPalette::Text, color);
    palette.setColor(QPalette::WindowText, color);
    pWidget->setPalette(palette);
}

void CDialog::RefreshCtlColors()
{
    for (const auto& [nId, pWidget] : m_controls)
        ApplyCtlColor(nId);
}

// ---- the window

void CDialog::SetWindowText(const std::string& strText)
{
    setWindowTitle(AnsiToQString(strText));
}

std::string CDialog::GetWindowText() const
{
    return QStringToAnsi(windowTitle());
}

void CDialog::ShowWindow(int nCmdShow)
{
    switch (nCmdShow) {
    case SW_HIDE:
        hide();
        break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
        showMinimized();
        break;
    case SW_RESTORE:
    case SW_SHOWNORMAL:
        showNormal();
        raise();
        activateWindow();
        break;
    default:
        show();
        break;
    }
}

void CDialog::HideToTray()
{
    if (IsNotificationAreaAvailable())
        hide();
    else
        showMinimized();
}

void CDialog::SetIcon(HICON hIcon, bool /*bBigIcon*/)
{
    // One window icon serves both sizes; the desktop scales it.
    setWindowIcon(hIcon != nullptr ? *hIcon : QIcon());
}

bool CDialog::SetTimer(unsigned nIdEvent, unsigned nElapseMs)
{
    KillTimer(nIdEvent);
    const int nTimer = startTimer(static_cast<int>(std::min<unsigned>(nElapseMs, INT32_MAX)));
    if (nTimer == 0)
        return false;
    m_timers[nIdEvent] = {nTimer, nElapseMs};
    return true;
}

bool CDialog::KillTimer(unsigned nIdEvent)
{
    const auto it = m_timers.find(nIdEvent);
    if (it == m_timers.end())
        return false;
    killTimer(it->second.first);
    m_timers.erase(it);
    return true;
}

unsigned CDialog::GetTimerInterval(unsigned nIdEvent) const
{
    const auto it = m_timers.find(nIdEvent);
    return it == m_timers.end() ? 0 : it->second.second;
}

QAction* CDialog::FindMenuCommand(unsigned nId) const
{
    if (m_pMenuBar == nullptr)
        return nullptr;
    for (QAction* pAction : m_pMenuBar->findChildren<QAction*>()) {
        if (!pAction->isSeparator() && pAction->menu() == nullptr &&
            CMenu::CommandOf(pAction) == nId)
            return pAction;
    }
    return nullptr;
}

void CDialog::BuildSystemMenu()
{
    auto* pMenu = new QMenu(this);
    m_pSystemMenu = CMenu::FromQMenu(pMenu);
    if (m_template.bMinimizeBox)
        m_pSystemMenu->AppendMenu(MF_STRING, SC_MINIMIZE, "Mi&nimize");
    m_pSystemMenu->AppendMenu(MF_STRING, SC_CLOSE, "&Close");
}

CMenu* CDialog::GetSystemMenu()
{
    if (!m_pSystemMenu)
        BuildSystemMenu();
    return m_pSystemMenu.get();
}

void CDialog::ShowSystemMenu(QPoint pt)
{
    const unsigned nId = GetSystemMenu()->TrackPopupMenu(TPM_RETURNCMD, pt, this);
    if (nId != 0)
        SendMessage(WM_SYSCOMMAND, nId, 0);
}
