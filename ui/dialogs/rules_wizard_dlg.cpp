#include "ui/dialogs/rules_wizard_dlg.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "engine/label_table.h"
#include "platform/qt/message_box.h"
#include "ui/dialogs/dialog_font.h"
#include "ui/search/gbk_text.h"
#include "ui/wizard/field_evidence_view.h"
#include "ui/wizard/page_visible_text.h"

namespace {

// The pages label rules read, which the learner shows cleaned.
struct PageName {
    CompanyPage page;
    const char* name;
};
constexpr PageName kPageNames[] = {
    {CompanyPage::home, "首页"},
    {CompanyPage::contact, "联系方式页"},
    {CompanyPage::introduction, "公司介绍页"},
};

// The page chooser's entries: a role's page by its number, the linked pages after them.
constexpr std::size_t kFirstLinkedPage = kCompanyPageCount;

enum NamedValueColumn { kNamedLabelColumn, kNamedValueColumn };
constexpr int kLabelRole = Qt::UserRole + 1;  // a named value's label, GBK
constexpr QSize kDialogSize(1100, 680);
const QList<int> kSideWidths = {260, 420, 420};  // the companies, the page, the rules

// A table whose wide column (the value, the rule) takes the room the others leave.
QTableWidget* NewTable(QWidget* parent, const char* objectName, const QStringList& titles, int wideColumn) {
    auto* table = new QTableWidget(0, static_cast<int>(titles.size()), parent);
    table->setObjectName(QString::fromLatin1(objectName));
    table->setHorizontalHeaderLabels(titles);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setSectionResizeMode(wideColumn, QHeaderView::Stretch);
    table->verticalHeader()->setVisible(false);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    return table;
}

template <typename Widget, typename... Arguments>
Widget* Named(const char* objectName, Arguments&&... arguments) {
    auto* widget = new Widget(std::forward<Arguments>(arguments)...);
    widget->setObjectName(QString::fromLatin1(objectName));
    return widget;
}

}  // namespace

CRulesWizardDlg::CRulesWizardDlg(std::string baseProfilePath, QWidget* parent)
    : QDialog(parent),
      baseProfilePath_(std::move(baseProfilePath)),
      session_(this, [this] { ShowEvidence(); }) {
    setWindowTitle(QStringLiteral("规则向导"));
    setFont(DialogFont());
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(BuildCompanySide());
    splitter->addWidget(BuildPageSide());
    splitter->addWidget(BuildEvidenceSide());
    splitter->setSizes(kSideWidths);

    siteNameBox_ = Named<QLineEdit>("siteName", this);
    siteNameBox_->setPlaceholderText(QStringLiteral("新站点的名称"));
    saveButton_ = Named<QPushButton>("save", QStringLiteral("保存规则"), this);
    auto* closeButton = Named<QPushButton>("close", QStringLiteral("关闭"), this);
    status_ = Named<QLabel>("status", this);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(status_, 1);
    bottom->addWidget(new QLabel(QStringLiteral("站点名称"), this));
    bottom->addWidget(siteNameBox_);
    bottom->addWidget(saveButton_);
    bottom->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter, 1);
    layout->addLayout(bottom);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    ConnectControls();
    resize(kDialogSize);
    SetStatus(QStringLiteral("请打开用 harvio-cli capture 保存的公司文件夹。"));
}

CRulesWizardDlg::~CRulesWizardDlg() = default;

QWidget* CRulesWizardDlg::BuildCompanySide() {
    auto* side = new QWidget(this);
    openFolderButton_ = Named<QPushButton>("openFolder", QStringLiteral("打开文件夹…"), side);
    companyList_ = Named<QListWidget>("companies", side);
    auto* layout = new QVBoxLayout(side);
    layout->addWidget(new QLabel(QStringLiteral("已保存的公司"), side));
    layout->addWidget(companyList_, 1);
    layout->addWidget(openFolderButton_);
    return side;
}

QWidget* CRulesWizardDlg::BuildPageSide() {
    auto* side = new QWidget(this);
    pageBox_ = Named<QComboBox>("pages", side);
    pageText_ = Named<QPlainTextEdit>("pageText", side);
    pageText_->setReadOnly(true);
    fieldBox_ = Named<QComboBox>("field", side);
    for (const std::string& label : KnownLabelsInRecordOrder())
        fieldBox_->addItem(FromGbk(label), QByteArray::fromStdString(label));
    nameButton_ = Named<QPushButton>("nameValue", QStringLiteral("记下所选的值"), side);
    namedValues_ =
        NewTable(side, "namedValues", {QStringLiteral("字段"), QStringLiteral("值")}, kNamedValueColumn);
    forgetButton_ = Named<QPushButton>("forgetValue", QStringLiteral("删除"), side);

    auto* pageRow = new QHBoxLayout;
    pageRow->addWidget(new QLabel(QStringLiteral("页面"), side));
    pageRow->addWidget(pageBox_, 1);
    auto* fieldRow = new QHBoxLayout;
    fieldRow->addWidget(new QLabel(QStringLiteral("选中的值是"), side));
    fieldRow->addWidget(fieldBox_, 1);
    fieldRow->addWidget(nameButton_);
    auto* layout = new QVBoxLayout(side);
    layout->addLayout(pageRow);
    layout->addWidget(pageText_, 3);
    layout->addLayout(fieldRow);
    layout->addWidget(new QLabel(QStringLiteral("这家公司已记下的值"), side));
    layout->addWidget(namedValues_, 1);
    layout->addWidget(forgetButton_, 0, Qt::AlignRight);
    return side;
}

QWidget* CRulesWizardDlg::BuildEvidenceSide() {
    auto* side = new QWidget(this);
    fieldRules_ = NewTable(side, "fieldRules",
                           {QStringLiteral("字段"), QStringLiteral("规则"), QStringLiteral("命中")}, 1);
    fieldRules_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    companyValues_ = NewTable(side, "companyValues", {QStringLiteral("公司"), QStringLiteral("取到的值")}, 1);
    companyValues_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* layout = new QVBoxLayout(side);
    layout->addWidget(new QLabel(QStringLiteral("学到的规则（命中：取到值的公司/全部公司）"), side));
    layout->addWidget(fieldRules_, 1);
    layout->addWidget(new QLabel(QStringLiteral("所选字段在每家公司取到的值"), side));
    layout->addWidget(companyValues_, 1);
    return side;
}

void CRulesWizardDlg::ConnectControls() {
    connect(openFolderButton_, &QPushButton::clicked, this, &CRulesWizardDlg::OnOpenFolderClicked);
    connect(companyList_, &QListWidget::currentRowChanged, this, &CRulesWizardDlg::OnCompanyChosen);
    connect(pageBox_, &QComboBox::currentIndexChanged, this, &CRulesWizardDlg::OnPageChosen);
    connect(pageText_, &QPlainTextEdit::selectionChanged, this, &CRulesWizardDlg::OnSelectionChanged);
    connect(fieldBox_, &QComboBox::currentIndexChanged, this, &CRulesWizardDlg::OnSelectionChanged);
    connect(nameButton_, &QPushButton::clicked, this, &CRulesWizardDlg::OnNameValue);
    connect(forgetButton_, &QPushButton::clicked, this, &CRulesWizardDlg::OnForgetValue);
    connect(namedValues_, &QTableWidget::cellChanged, this, &CRulesWizardDlg::OnNamedValueEdited);
    connect(fieldRules_, &QTableWidget::cellClicked, this,
            [this](int row) { fieldBox_->setCurrentText(fieldRules_->item(row, 0)->text()); });
    connect(saveButton_, &QPushButton::clicked, this, &CRulesWizardDlg::OnSave);
}

void CRulesWizardDlg::OnOpenFolderClicked() {
    const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("打开保存公司的文件夹"));
    if (!folder.isEmpty()) OpenFolder(folder);
}

bool CRulesWizardDlg::OpenFolder(const QString& folder) {
    std::vector<OpenedCompany> companies = ReadCapturedCompanies(QFile::encodeName(folder).toStdString());
    if (companies.empty()) {
        ShowMessageBox(this, QStringLiteral("文件夹 %1 里没有用 harvio-cli capture 保存的公司。").arg(folder),
                       MessageButtons::Ok);
        return false;
    }
    const std::size_t first = session_.CompanyCount();
    const std::size_t added = session_.Open(std::move(companies));
    for (std::size_t company = first; company < session_.CompanyCount(); ++company) {
        const OpenedCompany& opened = session_.Company(company);
        const QString name = QFileInfo(QFile::decodeName(opened.folder.c_str())).fileName();
        companyNames_.append(name);
        // The folder's name as the user gave it to capture, and the company's link to know it by.
        auto* item = new QListWidgetItem(QStringLiteral("%1  %2").arg(name, FromGbk(opened.company.link)),
                                         companyList_);
        item->setToolTip(FromGbk(opened.company.link));
    }
    SetStatus(QStringLiteral("新打开 %1 家公司，共 %2 家。").arg(added).arg(session_.CompanyCount()));
    if (companyList_->currentRow() < 0 && companyList_->count() > 0) companyList_->setCurrentRow(0);
    ShowEvidence();
    return true;
}

int CRulesWizardDlg::ChosenCompany() const {
    return companyList_->currentRow();
}

std::string CRulesWizardDlg::ChosenLabel() const {
    return fieldBox_->currentData().toByteArray().toStdString();
}

QString CRulesWizardDlg::SelectedValue() const {
    return ValueAsRead(pageText_->textCursor().selectedText());
}

void CRulesWizardDlg::OnCompanyChosen() {
    const int company = ChosenCompany();
    {
        const QSignalBlocker quiet(pageBox_);
        pageBox_->clear();
        if (company >= 0) {
            const auto chosen = static_cast<std::size_t>(company);
            for (const PageName& page : kPageNames) {
                if (!session_.CleanedPage(chosen, page.page).empty())
                    pageBox_->addItem(QString::fromUtf8(page.name), static_cast<int>(page.page));
            }
            const auto& linked = session_.Company(chosen).company.linkedPages;
            for (std::size_t page = 0; page < linked.size(); ++page) {
                pageBox_->addItem(
                    QStringLiteral("链接页 %1：%2").arg(page + 1).arg(FromGbk(linked[page].address)),
                    static_cast<int>(kFirstLinkedPage + page));
            }
        }
    }
    OnPageChosen();
    ShowNamedValues();
}

void CRulesWizardDlg::OnPageChosen() {
    const int company = ChosenCompany();
    if (company < 0 || pageBox_->currentIndex() < 0) {
        pageText_->clear();
        return;
    }
    const auto chosen = static_cast<std::size_t>(company);
    const auto page = static_cast<std::size_t>(pageBox_->currentData().toInt());
    const std::string cleaned = page < kFirstLinkedPage
                                    ? session_.CleanedPage(chosen, static_cast<CompanyPage>(page))
                                    : session_.CleanedLinkedPage(chosen, page - kFirstLinkedPage);
    // The one place the page crosses from the engine's GBK into the window's text.
    pageText_->setPlainText(PageVisibleText(FromGbk(cleaned)));
}

void CRulesWizardDlg::OnSelectionChanged() {
    const int company = ChosenCompany();
    if (company < 0) return;
    session_.Try(static_cast<std::size_t>(company), ChosenLabel(), ToGbk(SelectedValue()).toStdString());
    ShowEvidence();
}

void CRulesWizardDlg::OnNameValue() {
    const int company = ChosenCompany();
    const QString value = SelectedValue();
    if (company < 0 || value.isEmpty()) {
        SetStatus(QStringLiteral("请先在页面文字中选中一个值。"));
        return;
    }
    session_.Name(static_cast<std::size_t>(company), ChosenLabel(), ToGbk(value).toStdString());
    ShowNamedValues();
    ShowEvidence();
}

void CRulesWizardDlg::OnForgetValue() {
    const int company = ChosenCompany();
    const int row = namedValues_->currentRow();
    if (company < 0 || row < 0) return;
    const std::string label =
        namedValues_->item(row, kNamedLabelColumn)->data(kLabelRole).toByteArray().toStdString();
    session_.Forget(static_cast<std::size_t>(company), label);
    ShowNamedValues();
    ShowEvidence();
}

void CRulesWizardDlg::OnNamedValueEdited(int row, int column) {
    const int company = ChosenCompany();
    if (company < 0 || column != kNamedValueColumn) return;
    const std::string label =
        namedValues_->item(row, kNamedLabelColumn)->data(kLabelRole).toByteArray().toStdString();
    const QString value = ValueAsRead(namedValues_->item(row, kNamedValueColumn)->text());
    if (value.isEmpty())
        session_.Forget(static_cast<std::size_t>(company), label);
    else
        session_.Name(static_cast<std::size_t>(company), label, ToGbk(value).toStdString());
    ShowNamedValues();
    ShowEvidence();
}

void CRulesWizardDlg::ShowNamedValues() {
    const QSignalBlocker quiet(namedValues_);
    const int company = ChosenCompany();
    const std::map<std::string, std::string> none;
    const auto& values = company < 0 ? none : session_.Values().Of(static_cast<std::size_t>(company));
    namedValues_->setRowCount(static_cast<int>(values.size()));
    int row = 0;
    for (const auto& [label, value] : values) {
        auto* labelItem = new QTableWidgetItem(FromGbk(label));
        labelItem->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        labelItem->setData(kLabelRole, QByteArray::fromStdString(label));
        namedValues_->setItem(row, kNamedLabelColumn, labelItem);
        namedValues_->setItem(row, kNamedValueColumn, new QTableWidgetItem(FromGbk(value)));
        ++row;
    }
}

void CRulesWizardDlg::ShowEvidence() {
    const std::vector<FieldEvidence>* evidence = session_.Evidence();
    ShowFieldRows(*fieldRules_, evidence, session_.Labels());
    ShowCompanyValues(*companyValues_, companyNames_, evidence, ChosenLabel());
}

void CRulesWizardDlg::SetStatus(const QString& text) {
    status_->setText(text);
}
