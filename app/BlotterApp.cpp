#include "app/BlotterApp.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>

#include "app/AppResources.h"
#include "app/BlotterDlg.h"
#include "app/SessionEnd.h"

CBlotterApp::CBlotterApp(QApplication& app) : m_app(app) {}

int CBlotterApp::Run()
{
    // The window hides into the tray and message boxes come and go while it is hidden; the
    // program ends only through the main window's close command.
    m_app.setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName("Tallyfern");
    QGuiApplication::setDesktopFileName("tallyfern");
    RegisterAppResources();

    CBlotterDlg dlg;
    WatchSessionEnd(
        &dlg, [&dlg] { dlg.SavePortfolio(); },
        [&dlg] {
            dlg.CloseWindow();
            // A box or dialog still open (a mail error inside a refresh) would keep its own loop
            // running; close them so that the program can end.
            for (QWidget* pWidget : QApplication::topLevelWidgets()) {
                auto* pOpen = qobject_cast<QDialog*>(pWidget);
                if (pOpen != nullptr && pOpen != &dlg && pOpen->isVisible())
                    pOpen->reject();
            }
        });
    return dlg.DoModal() == -1 ? 1 : 0;
}
