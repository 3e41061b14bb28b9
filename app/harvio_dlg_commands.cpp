#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>

#include "app/harvio_dlg.h"
#include "app/search_progress_event.h"
#include "book/company_key.h"
#include "book/window_book.h"
#include "engine/search_engine.h"
#include "engine/search_engine_alibaba.h"
#include "export/result_export.h"
#include "export/spreadsheet_exports.h"
#include "platform/program_paths.h"
#include "platform/qt/message_box.h"
#include "platform/settings_value.h"
#include "ui/controls/list_marks.h"
#include "ui/controls/my_list_ctrl.h"
#include "ui/controls/result_list_model.h"
#include "ui/dialogs/about_dlg.h"
#include "ui/dialogs/dlg_information.h"
#include "ui/dialogs/dlg_set_http.h"
#include "ui/dialogs/sms_login.h"
#include "ui/dialogs/web_lookup_settings.h"
#include "ui/dialogs/web_lookups.h"
#include "ui/search/search_worker.h"
#include "ui/search/site_change_watch.h"
#include "ui/search/window_call_gate.h"

// The search, the exports, the look-ups and the small dialogs are wired to the window here.

namespace {

constexpr int kCompanyCountField = 1035;
constexpr int kPageField = 1036;
constexpr int kProxyCheckBox = 1038;
constexpr int kCompanyNameBox = 1013;
constexpr int kWebAddressBox = 1022;

const QString kSearchingText = QStringLiteral("正在搜索中···");

}  // namespace

void CHarvioDlg::UseSearchEngine(SearchEngine* engine) {
    searchEngine_ = engine;
    if (loadedSite_ != 0) LoadChosenSite();
}

void CHarvioDlg::OnStartSearch() {
    EnableSearchStart(false);
    // Nothing is trimmed: blanks are a keyword.
    if (keywordBox_->text().isEmpty()) {
        ShowMessageBox(this, QStringLiteral("请设置需要检索关键字！"), MessageButtons::Ok);
        EnableSearchStart(true);
        return;
    }
    SetStatusText(kSearchingText);
    StartSearchWorker()->StartSearchEvent.Set();
}

SearchWorker* CHarvioDlg::StartSearchWorker() {
    const uint64_t serial = ++searchSerial_;
    SearchWindowCalls calls;
    calls.readCondition = [this] { return ReadSearchCondition(); };
    calls.proxyBoxTicked = [this] { return qobject_cast<QCheckBox*>(Control(kProxyCheckBox))->isChecked(); };
    if (book_ != nullptr) {
        auto* engine = dynamic_cast<SearchEngine_Alibaba*>(searchEngine_);
        // The search's own share of the book lives as long as its worker's calls.
        auto bookSearch = std::make_shared<std::shared_ptr<BookSearch>>();
        calls.beginSearch = [this, engine, bookSearch](const SearchCondition& condition) {
            const ExtractionRules none;
            const ExtractionRules& rules = engine != nullptr ? engine->Rules() : none;
            *bookSearch = book_->BeginSearch(SiteNameOf(rules), CompanyKeyer(rules), condition,
                                             ConfiguredReuseDays(SettingsFilePath()));
            return std::static_pointer_cast<KnownCompanies>(*bookSearch);
        };
        calls.keepRecord = [this, bookSearch](const CompanyRecord& record, int rowNumber) {
            return book_->KeepRecord(**bookSearch, record, BuildResultCells(record, rowNumber));
        };
    }
    calls.addRow = [this](const CompanyRecord& record, int rowNumber, const RowBookFacts& facts) {
        return book_ != nullptr ? AddBookRow(record, rowNumber, facts) : AddCompanyRow(record, rowNumber);
    };
    calls.tickRow = [this](int row) { resultList_->SetCheck(row, true); };
    calls.finish = [this, serial] {
        // A search started since owns the status line and the Start button.
        if (serial != searchSerial_) return;
        const int rows = resultList_->GetItemCount();
        SetStatusText(rows == 0 ? QStringLiteral("搜索完成!")
                                : QStringLiteral("搜索完成,去除重复共检查到%1条。").arg(rows));
        EnableSearchStart(true);
        siteChangeWatch_->SearchEnded();
    };
    calls.storeFigures = [this](uint32_t totalPages, uint32_t currentPage, uint32_t totalCompanies) {
        m_totalPages = totalPages;
        m_currentPage = currentPage;
        m_totalCompanies = totalCompanies;
    };
    calls.postSearching = [this] {
        QCoreApplication::postEvent(this, new SearchProgressEvent(kProgressSearching));
    };
    calls.postRowAdded = [this] {
        QCoreApplication::postEvent(this, new SearchProgressEvent(kProgressRowAdded));
    };
    siteChangeWatch_->SearchStarted();
    // The worker of a stopped search may still wait for the engine; the new one takes it over.
    searchWorker_ =
        std::make_unique<SearchWorker>(*searchEngine_, callGate_, std::move(calls), std::move(searchWorker_));
    return searchWorker_.get();
}

void CHarvioDlg::OnStopSearch() {
    EnableSearchStart(true);
    SetStatusText(QString());
    SetStatusText(QStringLiteral("停止搜索!"));
    searchEngine_->StopSearch();
    if (searchWorker_) searchWorker_->StopSearchEvent.Set();
}

void CHarvioDlg::OnSearchProgress(intptr_t wParam, intptr_t) {
    if (wParam == kProgressSearching) {
        SetStatusText(kSearchingText);
    } else if (wParam == kProgressRowAdded) {
        qobject_cast<QLabel*>(Control(kCompanyCountField))
            ->setText(QStringLiteral("%1/%2").arg(m_totalCompanies.load()).arg(m_totalPages.load()));
        qobject_cast<QLabel*>(Control(kPageField))->setText(QStringLiteral("1/%1").arg(m_currentPage.load()));
    }
}

void CHarvioDlg::EndSearchForClose() {
    if (!searchWorker_) return;
    // Released from any call it waits for, the worker ends once the engine has stopped.
    callGate_->Close();
    searchEngine_->StopSearch();
    searchWorker_->StopSearchEvent.Set();
    searchWorker_.reset();
    callGate_ = std::make_shared<WindowCallGate>(this);
}

MarkedRows CHarvioDlg::MarkedResultRows() {
    const int count = CountMarkedRows(*resultList_);
    auto taken = std::make_shared<std::vector<int>>();
    MarkedRows rows{count, MarkedRowCells(*resultList_, count, taken.get()), nullptr};
    rows.exported = [this, taken](const std::vector<int>& written) {
        if (book_ == nullptr) return;
        std::vector<CompanyRef> companies;
        const int64_t now = SystemClockSeconds();
        for (const int place : written) {
            const int row = (*taken)[place];
            const RowBookFacts facts = resultList_->Model()->RowFacts(row);
            if (facts.company.key.empty()) continue;
            companies.push_back(facts.company);
            // Every row of the company shows the export, not only the one exported.
            for (int other = 0; other < resultList_->GetItemCount(); ++other) {
                if (resultList_->Model()->RowFacts(other).company.key == facts.company.key)
                    resultList_->Model()->SetLastExported(other, now);
            }
        }
        book_->MarkExported(companies);
    };
    return rows;
}

void CHarvioDlg::TickRowsWhere(const std::function<bool(const RowBookFacts&)>& test) {
    for (int row = 0; row < resultList_->GetItemCount(); ++row) {
        const bool tick = test(resultList_->Model()->RowFacts(row));
        if (resultList_->GetCheck(row) == tick) continue;
        resultList_->SetCheck(row, tick);
        if (book_ != nullptr) book_->SetChecked(resultList_->Model()->RowFacts(row).rowId, tick);
    }
}

void CHarvioDlg::OnTickNewCompanies() {
    TickRowsWhere([](const RowBookFacts& facts) { return !facts.knownBefore; });
}

void CHarvioDlg::OnTickUnexportedCompanies() {
    TickRowsWhere([](const RowBookFacts& facts) { return facts.lastExported == 0; });
}

void CHarvioDlg::OnExportAll() {
    ::OnExportAll(MarkedResultRows(), this, ExportDirectory(),
                  [this](const QString& text) { SetStatusText(text); });
}

void CHarvioDlg::OnExportFax() {
    ::OnExportFax(MarkedResultRows(), this, ExportDirectory());
}

void CHarvioDlg::OnExportMobile() {
    ::OnExportMobile(MarkedResultRows(), this, ExportDirectory());
}

void CHarvioDlg::OnExportWorkbook() {
    const MarkedRows rows = MarkedResultRows();
    ::OnExportWorkbook({rows, this, ExportDirectory(), [this](const QString& text) { SetStatusText(text); }});
}

void CHarvioDlg::OnExportUtf8Csv() {
    const MarkedRows rows = MarkedResultRows();
    ::OnExportUtf8Csv({rows, this, ExportDirectory(), [this](const QString& text) { SetStatusText(text); }});
}

std::unique_ptr<QMenu> CHarvioDlg::ResultListMenu() {
    auto menu = std::make_unique<QMenu>(this);
    menu->addAction(QString::fromUtf8(kExportWorkbookMenuText), this, &CHarvioDlg::OnExportWorkbook);
    menu->addAction(QString::fromUtf8(kExportUtf8CsvMenuText), this, &CHarvioDlg::OnExportUtf8Csv);
    menu->addSeparator();
    menu->addAction(QStringLiteral("只勾选新公司"), this, &CHarvioDlg::OnTickNewCompanies);
    menu->addAction(QStringLiteral("只勾选未导出的公司"), this, &CHarvioDlg::OnTickUnexportedCompanies);
    return menu;
}

void CHarvioDlg::OnWebSearch() {
    ::OnWebSearch(this, DetailText(kCompanyNameBox), LoadWebLookupSettings());
}

void CHarvioDlg::OnOpenWebSite() {
    ::OnOpenWebSite(DetailText(kWebAddressBox));
}

void CHarvioDlg::OnShowNotes() {
    DlgInformation(this).exec();
}

void CHarvioDlg::OnSmsLogin() {
    SMSLogin(LoadWebLookupSettings(), OpenInBrowser, this).exec();
}

void CHarvioDlg::OnAboutBox() {
    CAboutDlg(this).exec();
}

void CHarvioDlg::OnProxyCheckClick() {
    auto* proxyBox = qobject_cast<QCheckBox*>(Control(kProxyCheckBox));
    // Unticking keeps the stored address and port.
    if (!proxyBox->isChecked()) return;
    DLG_SetHttp([proxyBox] { proxyBox->setChecked(false); }, this).exec();
}
