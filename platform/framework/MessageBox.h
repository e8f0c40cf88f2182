// Message boxes: every box of the program goes through TfMessageBox, which fills in the
// program's caption and the exclamation icon when the caller names none, and hands the box
// to the installed sink. The default sink shows a modal QMessageBox (its nested event loop
// still delivers window timers); tests install a sink that records and answers.
#pragma once

#include <string>

#include "platform/framework/WinDefs.h"

class QWidget;

// The caption of every box whose caller names none.
inline constexpr const char* kDefaultMessageCaption = "Tallyfern";

struct SMessageBoxRequest
{
    std::string strText;
    std::string strCaption;
    // MB_ICON... value (never 0 after TfMessageBox filled it in).
    unsigned nIcon = 0;
    // MB_OK, MB_OKCANCEL, MB_YESNO or MB_YESNOCANCEL.
    unsigned nButtons = MB_OK;
    QWidget* pOwner = nullptr; // not owned; may be nullptr
};

class CMessageBoxSink
{
  public:
    virtual ~CMessageBoxSink() = default;
    // Shows the box and returns the button chosen (IDOK, IDCANCEL, IDYES, IDNO).
    virtual int Show(const SMessageBoxRequest& request) = 0;
};

// Installs pSink (nullptr restores the default) and returns the sink it replaces. The sink
// is not owned.
CMessageBoxSink* SetMessageBoxSink(CMessageBoxSink* pSink);

// The end of the program (a termination signal, the end of the session): every box open now
// closes with the answer that does least (OK, No, Cancel), and every box asked for from then on
// gives that answer at once, unshown and without reaching the sink, so that the code behind a
// box cannot keep the program waiting with another one.
void CloseAllMessageBoxes();
// Boxes are shown again (a new application object; tests).
void ResumeMessageBoxes();
bool AreMessageBoxesClosed();

// nType combines a button set and an icon (MB_YESNO | MB_ICONINFORMATION); an empty caption
// means "Tallyfern", no icon means the exclamation icon.
int TfMessageBox(const std::string& strText, unsigned nType = MB_OK,
                 const std::string& strCaption = {}, QWidget* pOwner = nullptr);
