#include "platform/framework/Dialog.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QVBoxLayout>

#include "platform/framework/Ansi.h"
#include "platform/framework/DataExchange.h"
#include "platform/framework/DialogControls.h"

using namespace DialogControls;

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

    SetUpWindow();
    auto* pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setSpacing(0);
    // The template gives the client area; the menu bar comes on top and nothing resizes.
    pLayout->setSizeConstraint(QLayout::SetFixedSize);
    CreateMenuBar(pLayout);
    m_pClient = new QWidget(this);
    m_pClient->setFixedSize(m_units.ToPixelsX(m_template.cx), m_units.ToPixelsY(m_template.cy));
    pLayout->addWidget(m_pClient);
    CreateControls();

    auto* pSysShortcut = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
    QObject::connect(pSysShortcut, &QShortcut::activated, this,
                     [this] { ShowSystemMenu(mapToGlobal(QPoint(0, 0))); });

    m_bCreated = true;
    if (!OnCreate())
        return false;
    if (OnInitDialog())
        FocusFirstControl();
    RefreshCtlColors();
    return true;
}

void CDialog::SetUpWindow()
{
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
}

void CDialog::CreateMenuBar(QVBoxLayout* pLayout)
{
    const MenuTemplate* pMenu =
        m_template.nMenuId != 0 ? FindMenuResource(m_template.nMenuId) : nullptr;
    if (pMenu == nullptr)
        return;
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

void CDialog::CreateControls()
{
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
}

void CDialog::FocusFirstControl()
{
    for (const SDialogItem& item : m_template.items) {
        QWidget* pWidget = item.nId != IDC_STATIC ? GetDlgItem(item.nId) : nullptr;
        if (pWidget != nullptr && TakesFocus(item) && pWidget->isEnabled()) {
            pWidget->setFocus();
            return;
        }
    }
}

QWidget* CDialog::CreateControl(const SDialogItem& item, QWidget* pPrevRadio)
{
    QWidget* pWidget = MakeControl(item, m_pClient, pPrevRadio, m_units);
    PlaceControl(item, pWidget, m_units);
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
