// The File menu commands that open dialogs. The trade and category dialogs work on a copy of
// the latest document; on OK their changes are merged into the window's document as it is by
// then (a HotSync taken in by a refresh while the dialog was open stays), which is then saved
// and read again; the two preferences dialogs change settings only (and the timer), saving
// nothing; the History window only reads.
#include "app/AppResources.h"
#include "app/BlotterDlg.h"
#include "app/HistoryDlg.h"
#include "app/PagerPrefsDlg.h"
#include "app/PreferencesDlg.h"
#include "app/dialogs/EditCategoriesDlg.h"
#include "app/dialogs/EditTradesDlg.h"
#include "model/PortfolioMerge.h"

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
        const CBlotterSpace opened = m_doc;
        if (dlg.DoModal() != IDOK)
            return;
        dlg.m_doc.m_bShowClosedTrades = dlg.m_bShowClosed;
        TakeDialogChanges(opened, dlg.m_doc);
    });
    MapCommand(kCmdEditCategories, [this] {
        if (MergeReplacedFile(m_doc))
            ShowMergedLists();
        CEditCategoriesDlg dlg(this);
        dlg.m_doc = m_doc;
        const CBlotterSpace opened = m_doc;
        if (dlg.DoModal() != IDOK)
            return;
        TakeDialogChanges(opened, dlg.m_doc);
    });
    MapCommand(kCmdPreferences, [this] {
        CPreferencesDlg dlg(this);
        dlg.LoadFrom(m_doc);
        if (dlg.DoModal() != IDOK)
            return;
        dlg.StoreTo(m_doc);
        ApplyRefreshTimer(*this, m_doc.m_bAutoRefresh, m_doc.m_nRefreshMinutes, m_bTimerRunning);
    });
    MapCommand(kCmdHistory, [this] {
        CHistoryDlg dlg(m_doc, m_history.Path(), m_services.clock, this);
        dlg.DoModal();
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

void CBlotterDlg::TakeDialogChanges(const CBlotterSpace& opened, const CBlotterSpace& edited)
{
    // Refreshes run while the dialog was open (timer ticks reach its loop) and may have
    // taken in another program's trades: the dialog's edits go onto the document as it is
    // now, not over it.
    PortfolioMergeResult merge = MergePortfolios(opened, edited, m_doc);
    m_doc = std::move(merge.doc);
    if (!SavePortfolio()) {
        // Nothing was saved: reading the file again would drop the edits. Show them.
        ShowMergedLists();
        return;
    }
    LoadPortfolio();
    if (!merge.conflicts.empty())
        ShowSaveNote(ConflictStatus(merge.conflicts));
}
