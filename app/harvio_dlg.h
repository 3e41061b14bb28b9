#pragma once

#include <QByteArray>
#include <QDialog>
#include <QHash>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/company_record.h"
#include "engine/result_row.h"
#include "engine/search_condition.h"
#include "export/marked_rows.h"

class CMyListCtrl;
class WindowBook;
struct RowBookFacts;
struct WindowRow;
class SearchEngine;
class SearchWorker;
class SiteChangeWatch;
class WindowCallGate;
class QComboBox;
class QLineEdit;
class QMenu;

// The skin directory: set once by the main window's set-up, read by whoever needs the skin.
extern std::string g_skinDirectory;

// The main search window: conditions, the result list, the detail pane and the status line.
// Controls are found by their template id (Control(1006) is "开始搜索").
class CHarvioDlg : public QDialog {
    Q_OBJECT
public:
    explicit CHarvioDlg(QWidget* parent = nullptr);
    ~CHarvioDlg() override;

    QWidget* Control(int id) const;
    CMyListCtrl& ResultList() const;

    // Adds a result row for the record (cells from the record, cell 0 the row number) after the
    // rows already there; returns its position.
    int AddCompanyRow(const CompanyRecord& record, int rowNumber);
    // The same for a row whose record the search worker kept in the lead book.
    int AddBookRow(const CompanyRecord& record, int rowNumber, const RowBookFacts& facts);
    // From now on every row added, every check box the user changes, Clear, Exit and the exports
    // go to the lead book too (it outlives the window).
    void AttachBook(WindowBook* book);
    // Shows the rows of an earlier run as they were, numbers and check boxes included.
    void RestoreRows(const std::vector<WindowRow>& rows);
    // The lead book cannot be written (failing), or can again.
    void ShowBookTrouble(bool failing, bool diskFull, const QString& reason);
    // Types the keyword and presses "开始搜索".
    void StartSearchFor(const QString& keyword);
    // Chooses the site for this run only (by its name or its profile's file name), as --site does:
    // the choice the user keeps stays. False, the site unchanged, when no site is so named.
    bool ChooseSiteForThisRun(const QString& name);
    // Lists the site profiles anew (one may have been added), the site chosen staying chosen.
    void ListSitesAgain();
    // The conditions the boxes show now, "all" entries as empty values (GBK).
    SearchCondition ReadSearchCondition() const;
    void SetStatusText(const QString& text);
    // The GBK bytes a detail box shows.
    QByteArray DetailText(int boxId) const;

    // Handlers of the search window.
    void OnProvinceChange();
    // The site chooser: loads the chosen site's rules into the engine and keeps the choice.
    void OnSiteChange();
    void OnResultDblClk(int row);
    void OnClearResults();
    void OnExitRequest();

    // Handlers of the search, the exports, the look-ups and the small dialogs.
    void OnStartSearch();
    void OnStopSearch();
    void OnSearchProgress(intptr_t wParam, intptr_t lParam);
    void OnExportAll();
    void OnExportFax();
    void OnExportMobile();
    void OnExportWorkbook();
    void OnExportUtf8Csv();
    // "只勾选新公司": ticks the rows whose company their search found first, clears the others.
    void OnTickNewCompanies();
    // "只勾选未导出的公司": ticks the rows whose company was never exported, clears the others.
    void OnTickUnexportedCompanies();
    // The result list's right-click menu; the caller shows it.
    std::unique_ptr<QMenu> ResultListMenu();
    void OnWebSearch();
    void OnOpenWebSite();
    void OnShowNotes();
    void OnSmsLogin();
    void OnAboutBox();
    void OnProxyCheckClick();
    // "规则向导" beside the site chooser: learns a profile from captured companies, based on the
    // chosen site's.
    void OnRulesWizard();

    // The engine the searches use: GetSearchEngine(1), or one a test gives (with short waits). A
    // site other than the first one chosen gets its rules loaded into it.
    void UseSearchEngine(SearchEngine* engine);

    // Runs the handler of a command id (a button's id; 1 is the default command, 2 cancel).
    void OnCommand(int id);

    // Written by the search worker after every row, shown by the progress handler.
    std::atomic<uint32_t> m_totalPages{0};
    std::atomic<uint32_t> m_currentPage{0};
    std::atomic<uint32_t> m_totalCompanies{0};

signals:
    // A command of the command table is about to run.
    void commandIssued(int id);

public slots:
    // Esc and the close box end here, like the "退出" button: ask first.
    void reject() override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void OnInitDialog();
    void ConnectCommands();
    void FocusKeywordBox();
    void FillSiteBox();
    void AddSiteEntries();
    // Loads the rules of the site the chooser shows; on failure the chooser goes back to the
    // site loaded before and the status line says why.
    bool LoadChosenSite();
    // The Start button and the site chooser: a site changes only between searches.
    void EnableSearchStart(bool enabled);
    // Stops the engine and joins the search worker; no call of it reaches the window afterwards.
    void EndSearchForClose();
    SearchWorker* StartSearchWorker();
    // The marked rows as the exports take them: counted now, their cells read when asked for;
    // the companies of the rows written count as exported.
    MarkedRows MarkedResultRows();
    int ShowRow(const ResultCells& cells, const RowBookFacts& facts);
    // Ticks the rows the test holds for, clears the others.
    void TickRowsWhere(const std::function<bool(const RowBookFacts&)>& test);
    // Clear and Exit: the book forgets the rows shown now.
    void ForgetShownRows();

    QHash<int, QWidget*> controls_;
    QLineEdit* keywordBox_ = nullptr;
    QComboBox* provinceBox_ = nullptr;
    QComboBox* cityBox_ = nullptr;
    QComboBox* industryBox_ = nullptr;
    QComboBox* businessModelBox_ = nullptr;
    QComboBox* siteBox_ = nullptr;
    int loadedSite_ = 0;  // the chooser's entry whose rules the engine holds
    CMyListCtrl* resultList_ = nullptr;

    SearchEngine* searchEngine_;
    std::shared_ptr<WindowCallGate> callGate_;
    // Counts the searches started; only the latest one writes its completion and enables Start.
    uint64_t searchSerial_ = 0;
    std::unique_ptr<SearchWorker> searchWorker_;
    WindowBook* book_ = nullptr;
    bool bookTroubleShown_ = false;     // the box of the present trouble was shown
    SiteChangeWatch* siteChangeWatch_;  // a child of the window
};
