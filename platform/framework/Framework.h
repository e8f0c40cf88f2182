// The whole framework layer in one include, and a map of it:
//
//   Ansi.h            8-bit (Windows-1252) texts <-> QString; the only crossing
//   WinDefs.h         identifiers: IDOK/IDCANCEL/IDYES/IDNO, WM_*, MB_*, SW_*, NIM_/NIF_*
//   Object.h          CObject with run-time class names (TF_DECLARE_DYNAMIC)
//   Wnd.h             CWnd: SendMessage / PostMessage to anything that takes messages
//   Resources.h       menu, string and icon tables by identifier (register at start-up)
//   DialogTemplate.h  templates in dialog units, and the unit conversion
//   Dialog.h          CDialog: controls by id, commands, timers, menus, modal loop
//   Controls.h        CListBox / CComboBox handles (sorted rows, find by prefix)
//   DataExchange.h    DDX_/DDV_ field exchange and validation with the framework's messages
//   MessageBox.h      TfMessageBox and the replaceable sink
//   Menu.h            CMenu: popups, default item, TrackPopupMenu
//   Shell.h           notification-area icons (Shell_NotifyIcon), cursor, foreground,
//                     popup tracking; IsNotificationAreaAvailable
//   WinApp.h          CWinApp: start-up, and SIGTERM / logout as the main window's close
#pragma once

#include "platform/framework/Ansi.h"
#include "platform/framework/Controls.h"
#include "platform/framework/DataExchange.h"
#include "platform/framework/Dialog.h"
#include "platform/framework/DialogTemplate.h"
#include "platform/framework/Menu.h"
#include "platform/framework/MessageBox.h"
#include "platform/framework/Object.h"
#include "platform/framework/Resources.h"
#include "platform/framework/Shell.h"
#include "platform/framework/WinApp.h"
#include "platform/framework/WinDefs.h"
#include "platform/framework/Wnd.h"
