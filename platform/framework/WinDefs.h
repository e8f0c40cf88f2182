// The framework's numbers: command, message, notification and style identifiers that the
// program's windows, menus and resource tables use. Their values are the traditional ones so
// that the identifiers of menus and commands keep their meaning across the program.
#pragma once

#include <cstdint>

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

// Dialog results and standard command identifiers.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;
// The framework's application-exit command: closes the main window.
constexpr unsigned ID_APP_EXIT = 57665;

// Window messages routed through CWnd::WindowProc.
constexpr unsigned WM_CLOSE = 0x0010;
constexpr unsigned WM_COMMAND = 0x0111;
constexpr unsigned WM_SYSCOMMAND = 0x0112;
constexpr unsigned WM_TIMER = 0x0113;
constexpr unsigned WM_MOUSEMOVE = 0x0200;
constexpr unsigned WM_LBUTTONDOWN = 0x0201;
constexpr unsigned WM_LBUTTONUP = 0x0202;
constexpr unsigned WM_LBUTTONDBLCLK = 0x0203;
constexpr unsigned WM_RBUTTONDOWN = 0x0204;
constexpr unsigned WM_RBUTTONUP = 0x0205;
constexpr unsigned WM_MBUTTONUP = 0x0208;
// First message number free for a program's own use.
constexpr unsigned WM_USER = 0x0400;

// System-menu commands.
constexpr unsigned SC_CLOSE = 0xF060;

// Notification codes carried in the high word of a WM_COMMAND's first parameter.
constexpr unsigned BN_CLICKED = 0;
constexpr unsigned LBN_SELCHANGE = 1;
constexpr unsigned CBN_SELCHANGE = 1;
constexpr unsigned EN_CHANGE = 0x0300;

constexpr WPARAM MAKEWPARAM(unsigned nLow, unsigned nHigh)
{
    return static_cast<WPARAM>((nLow & 0xFFFFu) | ((nHigh & 0xFFFFu) << 16));
}
constexpr unsigned LOWORD(WPARAM w)
{
    return static_cast<unsigned>(w & 0xFFFFu);
}
constexpr unsigned HIWORD(WPARAM w)
{
    return static_cast<unsigned>((w >> 16) & 0xFFFFu);
}

// ShowWindow commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_RESTORE = 9;

// Message box types: buttons in the low nibble, icon in the next.
constexpr unsigned MB_OK = 0x00;
constexpr unsigned MB_OKCANCEL = 0x01;
constexpr unsigned MB_YESNOCANCEL = 0x03;
constexpr unsigned MB_YESNO = 0x04;
constexpr unsigned MB_TYPEMASK = 0x0F;
constexpr unsigned MB_ICONSTOP = 0x10;
constexpr unsigned MB_ICONERROR = MB_ICONSTOP;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONEXCLAMATION = 0x30;
constexpr unsigned MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr unsigned MB_ICONINFORMATION = 0x40;
constexpr unsigned MB_ICONMASK = 0xF0;

// Menu item flags and popup-tracking flags.
constexpr unsigned MF_STRING = 0x0000;
constexpr unsigned MF_GRAYED = 0x0001;
constexpr unsigned MF_SEPARATOR = 0x0800;
constexpr unsigned MF_BYCOMMAND = 0x0000;
constexpr unsigned MF_BYPOSITION = 0x0400;
constexpr unsigned TPM_LEFTALIGN = 0x0000;
constexpr unsigned TPM_LEFTBUTTON = 0x0000;
constexpr unsigned TPM_RIGHTBUTTON = 0x0002;
constexpr unsigned TPM_RETURNCMD = 0x0100;

// Shell notification-icon service.
constexpr unsigned NIM_ADD = 0;
constexpr unsigned NIM_MODIFY = 1;
constexpr unsigned NIM_DELETE = 2;
constexpr unsigned NIF_MESSAGE = 0x1;
constexpr unsigned NIF_ICON = 0x2;
constexpr unsigned NIF_TIP = 0x4;

// System-menu command that minimises the window.
constexpr unsigned SC_MINIMIZE = 0xF020;

// A colour as red, green and blue bytes.
using COLORREF = unsigned;
constexpr COLORREF RGB(unsigned r, unsigned g, unsigned b)
{
    return (r & 0xFFu) | ((g & 0xFFu) << 8) | ((b & 0xFFu) << 16);
}
constexpr unsigned GetRValue(COLORREF c)
{
    return c & 0xFFu;
}
constexpr unsigned GetGValue(COLORREF c)
{
    return (c >> 8) & 0xFFu;
}
constexpr unsigned GetBValue(COLORREF c)
{
    return (c >> 16) & 0xFFu;
}

// Check states of buttons.
constexpr int BST_UNCHECKED = 0;
constexpr int BST_CHECKED = 1;
