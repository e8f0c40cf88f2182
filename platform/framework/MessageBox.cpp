#include "platform/framework/MessageBox.h"

#include <algorithm>
#include <utility>
#include <vector>

#include <QMessageBox>
#include <QPointer>
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

// The answer of a box closed without a button.
int LeastAnswer(unsigned nButtons)
{
    return nButtons == MB_YESNO ? IDNO : nButtons == MB_OK ? IDOK : IDCANCEL;
}

bool& BoxesClosed()
{
    static bool bClosed = false;
    return bClosed;
}

// The boxes shown now, innermost last.
std::vector<QPointer<QMessageBox>>& OpenBoxes()
{
    static std::vector<QPointer<QMessageBox>> boxes;
    return boxes;
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
        OpenBoxes().emplace_back(&box);
        const int nAnswer = box.exec();
        auto& open = OpenBoxes();
        open.erase(std::remove(open.begin(), open.end(), &box), open.end());
        if (BoxesClosed())
            return LeastAnswer(request.nButtons);
        switch (nAnswer) {
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
            return LeastAnswer(request.nButtons);
        }
    }
};

CMessageBoxSink*& InstalledSink()
{
    static CMessageBoxSink* pSink = nullptr;
    return pSink;
}

} // namespace

void CloseAllMessageBoxes()
{
    BoxesClosed() = true;
    // Copied: a box's loop may end (and the box go) while the others are closed.
    const std::vector<QPointer<QMessageBox>> open = OpenBoxes();
    for (const QPointer<QMessageBox>& pBox : open) {
        if (pBox != nullptr)
            pBox->done(QMessageBox::NoButton);
    }
}

void ResumeMessageBoxes()
{
    BoxesClosed() = false;
}

bool AreMessageBoxesClosed()
{
    return BoxesClosed();
}

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
    if (BoxesClosed())
        return LeastAnswer(request.nButtons);
    if (InstalledSink() != nullptr)
        return InstalledSink()->Show(request);
    static CQtMessageBoxSink defaultSink;
    return defaultSink.Show(request);
}
