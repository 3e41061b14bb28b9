#include "app/harvio_dlg.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QWindow>

#include "app/app_icon.h"
#include "app/main_window_template.h"
#include "app/search_progress_event.h"
#include "book/window_book.h"
#include "engine/search_engine.h"
#include "engine/site_change_check.h"
#include "engine/site_profiles.h"
#include "platform/program_paths.h"
#include "platform/qt/message_box.h"
#include "platform/qt/skin.h"
#include "ui/controls/my_list_ctrl.h"
#include "ui/controls/result_list_model.h"
#include "ui/dialogs/dialog_font.h"
#include "ui/dialogs/dialog_units.h"
#include "ui/dialogs/rules_wizard_dlg.h"
#include "ui/search/city_box.h"
#include "ui/search/condition_boxes.h"
#include "ui/search/condition_entries.h"
#include "ui/search/detail_pane.h"
#include "ui/search/result_confirmations.h"
#include "ui/search/result_rows.h"
#include "ui/search/search_worker.h"
#include "ui/search/site_change_watch.h"
#include "ui/search/site_choice.h"
#include "ui/search/text_lines.h"
#include "ui/search/window_call_gate.h"

namespace {

// The command table: which handler a button's id (or the Enter and Esc keys) runs.
struct Command {
    int id;
    void (CHarvioDlg::*handler)();
};
constexpr int kDefaultCommand = 1;  // "短信" and the Enter key
constexpr int kCancelCommand = 2;   // "退出", the Esc key and the close box
constexpr int kProxyCheckBox = 1038;
constexpr int kSiteBox = 1039;
constexpr int kStartButton = 1006;
// Where a site entry keeps its profile's path and file name beside the shown siteName.
constexpr int kSitePathRole = Qt::UserRole + 2;
constexpr int kSiteFileRole = Qt::UserRole + 3;
constexpr Command kCommandTable[] = {
    {1006, &CHarvioDlg::OnStartSearch},  {1007, &CHarvioDlg::OnStopSearch},
    {1011, &CHarvioDlg::OnClearResults}, {kCancelCommand, &CHarvioDlg::OnExitRequest},
    {1008, &CHarvioDlg::OnExportAll},    {1009, &CHarvioDlg::OnExportFax},
    {1010, &CHarvioDlg::OnExportMobile}, {kProxyCheckBox, &CHarvioDlg::OnProxyCheckClick},
    {1131, &CHarvioDlg::OnWebSearch},    {1128, &CHarvioDlg::OnOpenWebSite},
    {1127, &CHarvioDlg::OnShowNotes},    {kDefaultCommand, &CHarvioDlg::OnSmsLogin},
    {1040, &CHarvioDlg::OnRulesWizard},
};

constexpr char kAboutMenuText[] = "关于 Harvio(&A)...";

}  // namespace

std::string g_skinDirectory;

CHarvioDlg::CHarvioDlg(QWidget* parent)
    : QDialog(parent),
      searchEngine_(GetSearchEngine(kDirectoryEngine)),
      callGate_(std::make_shared<WindowCallGate>(this)),
      siteChangeWatch_(new SiteChangeWatch(this, [this] { return searchEngine_->SearchCounters(); })) {
    // A fixed-size window with a minimise box and no maximise box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Quorvan—企业名录搜索"));
    setWindowIcon(ApplicationIcon());
    setFont(DialogFont());
    setFixedSize(DialogUnitsToPixels(this, kMainWindowWidthUnits, kMainWindowHeightUnits));
    controls_ = CreateMainWindowControls(*this);
    keywordBox_ = qobject_cast<QLineEdit*>(Control(1001));
    provinceBox_ = qobject_cast<QComboBox*>(Control(1003));
    cityBox_ = qobject_cast<QComboBox*>(Control(1028));
    industryBox_ = qobject_cast<QComboBox*>(Control(1027));
    businessModelBox_ = qobject_cast<QComboBox*>(Control(1004));
    siteBox_ = qobject_cast<QComboBox*>(Control(kSiteBox));
    resultList_ = qobject_cast<CMyListCtrl*>(Control(1005));
    OnInitDialog();
    ConnectCommands();
}

CHarvioDlg::~CHarvioDlg() {
    EndSearchForClose();
    // The book outlives the window: no report of its writer may reach a window that is gone.
    if (book_ != nullptr) book_->SetTroubleReport(nullptr);
}

QWidget* CHarvioDlg::Control(int id) const {
    return controls_.value(id, nullptr);
}

CMyListCtrl& CHarvioDlg::ResultList() const {
    return *resultList_;
}

void CHarvioDlg::OnInitDialog() {
    for (const char* entry : kIndustryEntries) industryBox_->addItem(QString::fromUtf8(entry));
    for (const char* entry : kBusinessModelEntries) businessModelBox_->addItem(QString::fromUtf8(entry));

    provinceBox_->clear();
    for (const std::string& line : LoadProvinceList()) AddGbkEntry(*provinceBox_, line);

    InsertResultColumns(*resultList_);
    resultList_->DeleteAllItems();

    FillSiteBox();
    EnableSearchStart(true);
    cityBox_->setEnabled(false);
    industryBox_->setCurrentIndex(0);
    businessModelBox_->setCurrentIndex(0);
    provinceBox_->setCurrentIndex(0);

    const QStringList arguments = QCoreApplication::arguments();
    g_skinDirectory = SkinDirectory(arguments.isEmpty() ? std::string() : arguments.first().toStdString());
    SkinH_AttachEx(SkinFilePath(g_skinDirectory).c_str(), "");
}

void CHarvioDlg::ConnectCommands() {
    for (const Command& command : kCommandTable) {
        if (auto* button = qobject_cast<QAbstractButton*>(Control(command.id))) {
            const int id = command.id;
            connect(button, &QAbstractButton::clicked, this, [this, id] { OnCommand(id); });
        }
    }
    // Connected after the set-up, whose choice of the first province is no selection change.
    connect(provinceBox_, &QComboBox::currentIndexChanged, this, &CHarvioDlg::OnProvinceChange);
    connect(siteBox_, &QComboBox::currentIndexChanged, this, &CHarvioDlg::OnSiteChange);
    connect(resultList_, &CMyListCtrl::rowDoubleClicked, this, &CHarvioDlg::OnResultDblClk);
    resultList_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(resultList_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { ResultListMenu()->exec(resultList_->viewport()->mapToGlobal(at)); });
}

void CHarvioDlg::OnCommand(int id) {
    for (const Command& command : kCommandTable) {
        if (command.id == id) {
            emit commandIssued(id);
            (this->*command.handler)();
            return;
        }
    }
}

int CHarvioDlg::AddCompanyRow(const CompanyRecord& record, int rowNumber) {
    const ResultCells cells = BuildResultCells(record, rowNumber);
    // Kept ticked: the search ticks every row the moment it is added.
    const RowBookFacts facts = book_ != nullptr ? book_->AddRow(cells, true) : RowBookFacts{};
    return ShowRow(cells, facts);
}

int CHarvioDlg::AddBookRow(const CompanyRecord& record, int rowNumber, const RowBookFacts& facts) {
    return ShowRow(BuildResultCells(record, rowNumber), facts);
}

int CHarvioDlg::ShowRow(const ResultCells& cells, const RowBookFacts& facts) {
    const int position = AddResultRow(*resultList_, cells);
    resultList_->Model()->SetRowFacts(position, facts);
    return position;
}

void CHarvioDlg::AttachBook(WindowBook* book) {
    book_ = book;
    connect(resultList_->Model(), &ResultListModel::checkEdited, this, [this](int row, bool checked) {
        if (book_ != nullptr) book_->SetChecked(resultList_->Model()->RowFacts(row).rowId, checked);
    });
    // The writer reports from its own thread; the window shows it on its own.
    book_->SetTroubleReport([this](bool failing, bool diskFull, const std::string& reason) {
        QMetaObject::invokeMethod(
            this,
            [this, failing, diskFull, text = QString::fromLocal8Bit(reason.c_str())] {
                ShowBookTrouble(failing, diskFull, text);
            },
            Qt::QueuedConnection);
    });
}

void CHarvioDlg::RestoreRows(const std::vector<WindowRow>& rows) {
    for (const WindowRow& row : rows) {
        const int position =
            ShowRow(row.cells, {row.id, row.company, row.knownBefore, row.firstFound, row.lastExported});
        resultList_->SetCheck(position, row.checked);
    }
}

void CHarvioDlg::ShowBookTrouble(bool failing, bool diskFull, const QString& reason) {
    if (!failing) {
        bookTroubleShown_ = false;
        SetStatusText(QStringLiteral("搜索结果已全部保存。"));
        return;
    }
    SetStatusText(diskFull ? QStringLiteral("磁盘已满，搜索结果暂未保存，正在重试…")
                           : QStringLiteral("搜索结果暂未保存（%1），正在重试…").arg(reason));
    if (bookTroubleShown_) return;
    bookTroubleShown_ = true;
    const QString place = QFile::decodeName(LeadBookPath().c_str());
    ShowNonModalMessageBox(
        this, diskFull ? QStringLiteral("磁盘已满，搜索结果暂未保存到 %1。\n结果仍显示在列表中，"
                                        "腾出磁盘空间后会自动保存。")
                             .arg(place)
                       : QStringLiteral("搜索结果暂未保存到 %1（%2）。\n结果仍显示在列表中，程序会继续重试。")
                             .arg(place, reason));
}

void CHarvioDlg::ForgetShownRows() {
    if (book_ == nullptr) return;
    int64_t last = 0;
    for (int row = 0; row < resultList_->GetItemCount(); ++row)
        last = std::max(last, resultList_->Model()->RowFacts(row).rowId);
    if (last > 0) book_->RemoveRows(last);
}

void CHarvioDlg::StartSearchFor(const QString& keyword) {
    keywordBox_->setText(keyword);
    OnCommand(1006);
}

SearchCondition CHarvioDlg::ReadSearchCondition() const {
    return ::ReadSearchCondition({keywordBox_, provinceBox_, industryBox_, businessModelBox_, cityBox_});
}

void CHarvioDlg::SetStatusText(const QString& text) {
    qobject_cast<QLabel*>(Control(1037))->setText(text);
}

QByteArray CHarvioDlg::DetailText(int boxId) const {
    return DetailBoxBytes(Control(boxId));
}

void CHarvioDlg::OnProvinceChange() {
    RefillCityBox(*cityBox_, ShownEntryBytes(*provinceBox_));
}

void CHarvioDlg::AddSiteEntries() {
    for (const SiteProfile& profile : ListSiteProfiles()) {
        AddGbkEntry(*siteBox_, profile.name);
        siteBox_->setItemData(siteBox_->count() - 1, QFile::decodeName(profile.path.c_str()), kSitePathRole);
        siteBox_->setItemData(siteBox_->count() - 1, QFile::decodeName(profile.fileName.c_str()),
                              kSiteFileRole);
    }
}

void CHarvioDlg::FillSiteBox() {
    AddSiteEntries();
    siteBox_->setCurrentIndex(0);
    // The first site's rules are the ones start-up loads; another one kept from an earlier run
    // is loaded now.
    const std::optional<QString> kept = LoadSiteChoice();
    const int index = kept ? siteBox_->findText(*kept) : -1;
    if (index <= 0) return;
    siteBox_->setCurrentIndex(index);
    LoadChosenSite();
}

bool CHarvioDlg::LoadChosenSite() {
    const int index = siteBox_->currentIndex();
    const QString path = siteBox_->itemData(index, kSitePathRole).toString();
    if (!searchEngine_->LoadRulesFrom(QFile::encodeName(path).toStdString())) {
        const QSignalBlocker quiet(siteBox_);
        siteBox_->setCurrentIndex(loadedSite_);
        SetStatusText(
            QStringLiteral("无法读取站点的规则文件 %1，仍搜索%2。").arg(path, siteBox_->currentText()));
        return false;
    }
    loadedSite_ = index;
    siteChangeWatch_->SetRulesFile(
        index == 0 ? std::string(kDefaultRulesFileShown)
                   : "config/sites/" + QFile::encodeName(QFileInfo(path).fileName()).toStdString());
    return true;
}

void CHarvioDlg::OnSiteChange() {
    if (!LoadChosenSite()) return;
    SetStatusText(QStringLiteral("已选择站点：%1").arg(siteBox_->currentText()));
    SaveSiteChoice(siteBox_->currentText());
}

void CHarvioDlg::ListSitesAgain() {
    const QSignalBlocker quiet(siteBox_);
    const QString loadedPath = siteBox_->itemData(loadedSite_, kSitePathRole).toString();
    siteBox_->clear();
    AddSiteEntries();
    // The engine keeps the rules it holds: the entry of their file is chosen again.
    const int loaded = siteBox_->findData(loadedPath, kSitePathRole);
    loadedSite_ = loaded < 0 ? 0 : loaded;
    siteBox_->setCurrentIndex(loadedSite_);
}

void CHarvioDlg::OnRulesWizard() {
    const QString basePath = siteBox_->itemData(siteBox_->currentIndex(), kSitePathRole).toString();
    auto* wizard = new CRulesWizardDlg(QFile::encodeName(basePath).toStdString(), this);
    wizard->setAttribute(Qt::WA_DeleteOnClose);
    connect(wizard, &CRulesWizardDlg::profileSaved, this, [this](const QString& path) {
        const bool replacedLoaded =
            QFileInfo(path) == QFileInfo(siteBox_->itemData(loadedSite_, kSitePathRole).toString());
        ListSitesAgain();
        // The engine still holds the rules the replaced file had: the next search reads the saved ones.
        if (replacedLoaded) LoadChosenSite();
        SetStatusText(QStringLiteral("已保存站点规则 %1").arg(path));
    });
    // Window-modal without a loop of its own: a search goes on meanwhile.
    wizard->open();
}

bool CHarvioDlg::ChooseSiteForThisRun(const QString& name) {
    for (int index = 0; index < siteBox_->count(); ++index) {
        if (siteBox_->itemText(index) != name && siteBox_->itemData(index, kSiteFileRole).toString() != name)
            continue;
        const QSignalBlocker quiet(siteBox_);
        siteBox_->setCurrentIndex(index);
        return LoadChosenSite();
    }
    return false;
}

void CHarvioDlg::EnableSearchStart(bool enabled) {
    Control(kStartButton)->setEnabled(enabled);
    siteBox_->setEnabled(enabled);
}

void CHarvioDlg::OnResultDblClk(int row) {
    ShowRowInDetailPane(*resultList_, row, [this](int id) { return Control(id); });
    if (row >= 0 && row < resultList_->GetItemCount())
        ShowBookDates(resultList_->Model()->RowFacts(row), [this](int id) { return Control(id); });
}

void CHarvioDlg::OnClearResults() {
    if (!ConfirmClearResults(this)) return;
    ForgetShownRows();
    resultList_->DeleteAllItems();
}

void CHarvioDlg::OnExitRequest() {
    if (!ConfirmExit(this)) return;
    EndSearchForClose();
    // A confirmed exit is the normal end: the next start has nothing to restore.
    ForgetShownRows();
    QDialog::reject();
}

void CHarvioDlg::reject() {
    OnCommand(kCancelCommand);
}

bool CHarvioDlg::event(QEvent* event) {
    if (event->type() == WM_SEARCH_PROGRESS) {
        const auto* progress = static_cast<SearchProgressEvent*>(event);
        OnSearchProgress(progress->wParam, progress->lParam);
        return true;
    }
    return QDialog::event(event);
}

void CHarvioDlg::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (enter && plain) {
        // A focused button takes Enter itself; anywhere else it is the default command.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button && button->isEnabled()) {
            button->click();
        } else {
            OnCommand(kDefaultCommand);
        }
        return;
    }
    QDialog::keyPressEvent(event);
}

// The window gets the keyword box's focus back whenever it comes into view again: shown,
// uncovered or restored. Children repainting (a new row, a status text) are no such event.
void CHarvioDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (QWindow* window = windowHandle()) {
        window->removeEventFilter(this);
        window->installEventFilter(this);
    }
    FocusKeywordBox();
}

bool CHarvioDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Expose && watched == windowHandle() && windowHandle()->isExposed()) {
        FocusKeywordBox();
    }
    return QDialog::eventFilter(watched, event);
}

void CHarvioDlg::changeEvent(QEvent* event) {
    // Minimising and restoring both give the keyword box the focus.
    if (event->type() == QEvent::WindowStateChange) FocusKeywordBox();
    QDialog::changeEvent(event);
}

void CHarvioDlg::contextMenuEvent(QContextMenuEvent* event) {
    // The window menu's "about" item, offered where the platform gives no system menu.
    QMenu menu(this);
    menu.addAction(QString::fromUtf8(kAboutMenuText), this, &CHarvioDlg::OnAboutBox);
    menu.exec(event->globalPos());
}

void CHarvioDlg::FocusKeywordBox() {
    keywordBox_->setFocus(Qt::OtherFocusReason);
}
