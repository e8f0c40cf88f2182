// Data exchange and validation between a dialog's members and its controls, in both
// directions as one step (CDialog::UpdateData). A dialog lists its fields in DoDataExchange
// in order; each DDX_ call reads or writes one field by the direction of the exchange, and
// each DDV_ call checks the field read just before it (on writing, DDV_MaxChars also limits
// typing in the field).
//
// The first refused field stops the exchange: its message is shown in a message box with
// the exclamation icon, the field takes the focus with its text selected, and every later
// call does nothing, so UpdateData returns false and the dialog stays open. The messages:
//   "Please enter a number."                       DDX_Text of a double
//   "Please enter an integer."                     DDX_Text of an int or long
//   "Please enter a positive integer."             DDX_Text of an unsigned
//   "Please enter an integer between %1 and %2."   DDV_MinMaxInt, DDV_MinMaxUInt
//   "Please enter no more than %1 characters."     DDV_MaxChars
//
// Numbers are read and written the same in every locale: integers as "%d"/"%u" print them
// (blanks around the number allowed; a value out of the type's range is refused), doubles in
// the shortest form of 15 significant digits ("%.15g") and read as plain decimal numbers
// with an optional exponent (infinities, NaN and hexadecimal forms are refused).
#pragma once

#include <string>

class CDialog;
class QWidget;

class CDataExchange
{
  public:
    CDataExchange(CDialog* pDlg, bool bSaveAndValidate);

    // True when reading from the controls, false when writing to them.
    bool m_bSaveAndValidate;
    CDialog* m_pDlgWnd;

    bool Failed() const { return m_bFailed; }
    // The control nId, remembered as the one the next DDV_ call checks; nullptr when the
    // dialog has no such control.
    QWidget* PrepareCtrl(int nId);
    int GetLastControl() const { return m_nLastControl; }
    // Refuses the last prepared field: shows strMessage, focuses the field, stops.
    void Fail(const std::string& strMessage);

  private:
    int m_nLastControl = 0;
    bool m_bFailed = false;
};

void DDX_Text(CDataExchange* pDX, int nId, std::string& value);
void DDX_Text(CDataExchange* pDX, int nId, int& value);
void DDX_Text(CDataExchange* pDX, int nId, long& value);
void DDX_Text(CDataExchange* pDX, int nId, unsigned& value);
void DDX_Text(CDataExchange* pDX, int nId, double& value);
// Check box state, 0 or 1.
void DDX_Check(CDataExchange* pDX, int nId, int& value);
// Index of the checked button in the radio group that starts at nId, or -1.
void DDX_Radio(CDataExchange* pDX, int nId, int& value);
// Drop-down list: on writing selects the first row beginning with value (ignoring case),
// leaving the selection alone when none does; on reading takes the selected row's text.
void DDX_CBString(CDataExchange* pDX, int nId, std::string& value);
void DDX_CBIndex(CDataExchange* pDX, int nId, int& value);
// List box: as DDX_CBString; reading with no row selected gives an empty text.
void DDX_LBString(CDataExchange* pDX, int nId, std::string& value);
void DDX_LBIndex(CDataExchange* pDX, int nId, int& value);

void DDV_MaxChars(CDataExchange* pDX, const std::string& value, int nChars);
void DDV_MinMaxInt(CDataExchange* pDX, int value, int nMin, int nMax);
void DDV_MinMaxUInt(CDataExchange* pDX, unsigned value, unsigned nMin, unsigned nMax);

// Number texts as the exchange writes and reads them (also for dialogs that format a field
// themselves).
std::string FormatDouble15(double value);
bool ParseDouble(const std::string& strText, double& value);
bool ParseLong(const std::string& strText, long long& value);
