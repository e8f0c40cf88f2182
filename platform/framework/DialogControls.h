// The controls of a dialog template made as Qt widgets: one maker per control kind, their
// place in the client area, and the label texts with their "&" mnemonics. Used by CDialog
// (creation, and the texts of its controls) and by the list and combo box wrappers.
#pragma once

#include <QLabel>
#include <QString>
#include <QWidget>

#include "platform/framework/DialogTemplate.h"

namespace DialogControls {

// Property keeping a label's text as given, "&" markers included.
constexpr const char* kTextProperty = "tfText";
// Property set on list and combo boxes created with kStyleSorted.
constexpr const char* kSortedProperty = "tfSorted";

// The text of a label without its mnemonic markers ("&&" stays one "&").
QString StripMnemonic(const QString& text);
// Sets a label's text: with its mnemonic when it has a buddy to move the focus to, without
// the markers otherwise; the text as given stays in kTextProperty.
void SetLabelText(QLabel* pLabel, const QString& text);
// True when the control takes the focus by Tab (and so can be a label's buddy).
bool TakesFocus(const SDialogItem& item);

// Makes the control of the item as a child of pClient. pPrevRadio is the radio button made
// just before it, if any: a run of radio buttons is one group until an item starts a new one.
QWidget* MakeControl(const SDialogItem& item, QWidget* pClient, QWidget* pPrevRadio,
                     const SDialogBaseUnits& units);
// Puts a made control at its template rectangle, grown where its text needs more room.
void PlaceControl(const SDialogItem& item, QWidget* pWidget, const SDialogBaseUnits& units);

} // namespace DialogControls
