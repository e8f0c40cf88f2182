// CDialog's controls by identifier: texts, enabled and checked states, the box wrappers,
// focus, replacement by a custom control and text colours.
#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include "platform/framework/Ansi.h"
#include "platform/framework/Dialog.h"
#include "platform/framework/DialogControls.h"

using namespace DialogControls;

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
