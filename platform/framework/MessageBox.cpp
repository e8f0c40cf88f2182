#include "platform/framework/MessageBox.h"

#include <utility>

#include <QMessageBox>
#include <QPushButton>

#include "platform/framework/Ansi.h"

namespace {

QMessageBox::Icon QtIconOf(unsigned nIcon)
{
    switch (nIcon) {
    case MB_ICONSTOP:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::Warning;
    }
}

class CQtMessageBoxSink final : public CMessageBoxSink
{
  public:
    int Show(const SMessageBoxRequest& request) override
    {
        QMessageBox box(QtIconOf(request.nIcon), AnsiToQString(request.strCaption),
                        AnsiToQString(request.strText), QMessageBox::NoButton, request.pOwner);
        switch (request.nButtons) {
        case MB_OKCANCEL:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            box.setEscapeButton(QMessageBox::Cancel);
            break;
        case MB_YESNO:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        case MB_YESNOCANCEL:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            box.setEscapeButton(QMessageBox::Cancel);
            break;
        default:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        }
        switch (box.exec()) {
        case QMessageBox::Cancel:
            return IDCANCEL;
        case QMessageBox::Yes:
            return IDYES;
        case QMessageBox::No:
            return IDNO;
        case QMessageBox::Ok:
            return IDOK;
        default:
            // Closed by the window manager: the answer that does least.
            return request.nButtons == MB_YESNO ? IDNO
                   : request.nButtons == MB_OK  ? IDOK
                                                : IDCANCEL;
        }
    }
};

CMessageBoxSink*& InstalledSink()
{
    static CMessageBoxSink* pSink = nullptr;
    return pSink;
}

} // namespace

CMessageBoxSink* SetMessageBoxSink(CMessageBoxSink* pSink)
{
    return std::exchange(InstalledSink(), pSink);
}

int TfMessageBox(const std::string& strText, unsigned nType, const std::string& strCaption,
                 QWidget* pOwner)
{
    SMessageBoxRequest request;
    request.strText = strText;
    request.strCaption = strCaption.empty() ? std::string(kDefaultMessageCaption) : strCaption;
    request.nIcon = (nType & MB_ICONMASK) != 0 ? (nType & MB_ICONMASK) : MB_ICONEXCLAMATION;
    request.nButtons = nType & MB_TYPEMASK;
    request.pOwner = pOwner;
    if (InstalledSink() != nullptr)
        return InstalledSink()->Show(request);
    static CQtMessageBoxSink defaultSink;
    return defaultSink.Show(request);
}
