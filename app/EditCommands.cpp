// The four File menu commands that open the editing dialogs. The trade and category dialogs
// work on a copy of the document, which comes back only on OK and is then saved and read
// again; the two preferences dialogs change settings only (and the timer), saving nothing.
#include "app/AppResources.h"
#include "app/BlotterDlg.h"
#include "app/PagerPrefsDlg.h"
#include "app/PreferencesDlg.h"
#include "app/dialogs/EditCategoriesDlg.h"
#include "app/dialogs/EditTradesDlg.h"

using namespace BlotterIds;

void CBlotterDlg::MapEditCommands()
{
    MapCommand(kCmdEditTrades, [this] {
        // The dialog edits the latest trades: what a HotSync wrote meanwhile comes in first.
        if (MergeReplacedFile(m_doc))
            ShowMergedLists();
        CEditTradesDlg dlg(this);
        dlg.m_doc = m_doc;
        dlg.m_bShowClosed = m_doc.m_bShowClosedTrades;
        if (dlg.DoModal() != IDOK)
            return;
        m_doc = dlg.m_doc;
        m_doc.m_bShowClosedTrades = dlg.m_bShowClosed;
        SavePortfolio();
        LoadPortfolio();
    });
    MapCommand(kCmdEditCategories, [this] {
        if (MergeReplacedFile(m_doc))
            ShowMergedLists();
        CEditCategoriesDlg dlg(this);
        dlg.m_doc = m_doc;
        if (dlg.DoModal() != IDOK)
            return;
        m_doc = dlg.m_doc;
        SavePortfolio();
        LoadPortfolio();
    });
    MapCommand(kCmdPreferences, [this] {
        CPreferencesDlg dlg(this);
        dlg.LoadFrom(m_doc);
        if (dlg.DoModal() != IDOK)
            return;
        dlg.StoreTo(m_doc);
        ApplyRefreshTimer(*this, m_doc.m_bAutoRefresh, m_doc.m_nRefreshMinutes, m_bTimerRunning);
    });
    MapCommand(kCmdEditPagerAlerts, [this] {
        SPagerMailServices mail;
        mail.mailers = m_services.mailers;
        mail.clock = m_services.clock;
        CPagerPrefsDlg dlg(this, mail);
        dlg.LoadFrom(m_doc);
        if (dlg.DoModal() == IDOK)
            dlg.StoreTo(m_doc);
    });
}
