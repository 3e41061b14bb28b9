#include "app/harvio_dlg.h"

// The search, the exports, the look-ups and the small dialogs are wired to the window here.

void CHarvioDlg::OnStartSearch() {}
void CHarvioDlg::OnStopSearch() {}
void CHarvioDlg::OnSearchProgress(intptr_t, intptr_t) {}
void CHarvioDlg::OnExportAll() {}
void CHarvioDlg::OnExportFax() {}
void CHarvioDlg::OnExportMobile() {}
void CHarvioDlg::OnWebSearch() {}
void CHarvioDlg::OnOpenWebSite() {}
void CHarvioDlg::OnShowNotes() {}
void CHarvioDlg::OnSmsLogin() {}
void CHarvioDlg::OnAboutBox() {}
void CHarvioDlg::OnProxyCheckClick() {}
