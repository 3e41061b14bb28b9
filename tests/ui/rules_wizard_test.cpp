// The rules wizard: captured companies opened from their folders, a value selected in a page's
// text and named, the rule learned and its hit rate, fields that cannot be learned, the profile
// saved beside the others without replacing a file unasked, and the main window's site chooser
// listing it.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QTextCursor>
#include <filesystem>
#include <memory>
#include <set>

#include "app/harvio_dlg.h"
#include "engine/captured_company.h"
#include "engine/search_engine_alibaba.h"
#include "platform/program_directory.h"
#include "platform/qt/message_box.h"
#include "support/temp_dir.h"
#include "ui/dialogs/rules_wizard_dlg.h"
#include "ui/search/gbk_text.h"
#include "ui/support/ui_test_support.h"
#include "ui/wizard/captured_company_folders.h"
#include "ui/wizard/learning_worker.h"
#include "ui/wizard/page_visible_text.h"

namespace fs = std::filesystem;

namespace {

constexpr int kLearnLimitMs = 10000;

std::string Gbk(const QString& text) {
    return ToGbk(text).toStdString();
}

// The visible text of a page as a person reads it, and the value a selection of it stands for.
TEST(PageVisibleText, ShowsWhatABrowserShowsAndSelectionsReadAsRuleValues) {
    const struct {
        const char* page;
        const char* visible;
    } pages[] = {
        {"<HTML><HEAD><TITLE>甲公司</TITLE></HEAD><BODY><P>联系人：<B>张伟</B> 先生</P></BODY></HTML>",
         "甲公司\n联系人： 张伟 先生"},
        {"<TABLE><TR><TH>电话</TH><TD>0577-88881234</TD></TR><TR><TD>传真</TD><TD></TD></TR></TABLE>",
         "电话\t0577-88881234\n传真"},
        {"<SCRIPT>var a = '<b>x</b>';</SCRIPT><STYLE>p { }</STYLE>可见<script src=x></script>的字",
         "可见 的字"},
        {"a < b<BR>c<d", "a < b\nc<d"},
        {"甲<!-- <P>旧</P> -->乙<!DOCTYPE html><SCRIPT>a</SCRIPTS>b</SCRIPT >丙", "甲乙 丙"},
        {"  <DIV>  </DIV>  ", ""},
        {"", ""},
    };
    for (const auto& page : pages) {
        EXPECT_EQ(PageVisibleText(QString::fromUtf8(page.page)), QString::fromUtf8(page.visible))
            << page.page;
    }
    // A hostile page: a megabyte of tags never closed is text, read in one pass.
    const QString unclosed = QStringLiteral("<a").repeated(500000);
    EXPECT_EQ(PageVisibleText(unclosed), unclosed);
    const struct {
        QString selection;
        const char* value;
    } selections[] = {
        {QStringLiteral("张伟\u2029先生"), "张伟 先生"},
        {QStringLiteral(" \t0577-88881234\n"), "0577-88881234"},
        {QStringLiteral("电话\t0577"), "电话 0577"},
    };
    for (const auto& selection : selections)
        EXPECT_EQ(ValueAsRead(selection.selection), QString::fromUtf8(selection.value)) << selection.value;
}

// One captured company of the small test site: its name, contact and telephone in a table of
// its home page, a fax on the first company's only.
struct TestCompany {
    const char* name;
    const char* contact;
    const char* phone;
};
constexpr TestCompany kCompanies[] = {
    {"温州甲阀门有限公司", "张伟 先生", "0577-88881234"},
    {"宁波乙五金有限公司", "李娜 女士", "0574-66553322"},
    {"苏州丙涂料有限公司", "王强 经理", "0512-77001122"},
    {"杭州丁茶叶有限公司", "赵敏 女士", "0571-55667788"},
};
constexpr char kOnlyFax[] = "0577-88880000";
constexpr char kLinkedAddress[] = "http://www.test-b2b.test/company/1/contact.html";

std::string HomePage(const TestCompany& company, bool withFax) {
    QString page = QStringLiteral(
                       "<html><head><title>%1</title></head>\n<body><div class=\"card\"><h1>%1</h1>\n"
                       "<table class=\"facts\"><tr><th>联系人</th><td>%2</td></tr>\n"
                       "<tr><th>电话</th><td>%3</td></tr></table>")
                       .arg(QString::fromUtf8(company.name), QString::fromUtf8(company.contact),
                            QString::fromUtf8(company.phone));
    if (withFax) page += QStringLiteral("<p>传真号码 %1</p>").arg(QString::fromUtf8(kOnlyFax));
    return Gbk(page + QStringLiteral("</div></body></html>"));
}

class RulesWizardTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureTestApplication(); }

    void SetUp() override {
        UseAsProgramDirectory(dir);
        fs::copy_file(SourceDir() / "config" / "sites" / "demo-modern.rules", dir.File("config/base.rules"));
        for (std::size_t index = 0; index < std::size(kCompanies); ++index) {
            CapturedCompany company;
            company.link = "http://www.test-b2b.test/company/" + std::to_string(index + 1) + ".html";
            company.family = CompanyFamily::general;
            company.pages[static_cast<std::size_t>(CompanyPage::home)] =
                HomePage(kCompanies[index], index == 0);
            // The first company was captured with the pages its home page links to.
            if (index == 0)
                company.linkedPages.push_back(
                    {kLinkedAddress, Gbk(QStringLiteral("<p>地址：<b>温州市</b>鹿城区</p>"))});
            ASSERT_TRUE(SaveCapturedCompany(Saved(index).string(), company));
        }
        SetNextMessageAnswers({});
        ownWizard = std::make_unique<CRulesWizardDlg>(dir.File("config/base.rules").string());
        Attach(ownWizard.get());
    }

    // The tests look at the dialog through its controls, with the companies of the folder open.
    void Attach(CRulesWizardDlg* dialog, const std::string& folder = "saved") {
        wizard = dialog;
        companies = wizard->findChild<QListWidget*>("companies");
        pages = wizard->findChild<QComboBox*>("pages");
        pageText = wizard->findChild<QPlainTextEdit*>("pageText");
        field = wizard->findChild<QComboBox*>("field");
        fieldRules = wizard->findChild<QTableWidget*>("fieldRules");
        companyValues = wizard->findChild<QTableWidget*>("companyValues");
        namedValues = wizard->findChild<QTableWidget*>("namedValues");
        siteName = wizard->findChild<QLineEdit*>("siteName");
        ASSERT_TRUE(companies && pages && pageText && field && fieldRules && companyValues && namedValues &&
                    siteName);
        ASSERT_TRUE(wizard->OpenFolder(QString::fromStdString(dir.File(folder).string())));
    }

    void TearDown() override {
        ownWizard.reset();
        StopScriptingMessageBoxes();
        SetProgramDirectoryForTesting("");
    }

    // The captured companies lie in saved/1, saved/2, ...: as `capture --out saved/N` writes them.
    fs::path Saved(std::size_t index) const { return dir.File("saved") / std::to_string(index + 1); }
    fs::path ProfileFolder() const { return dir.File("config") / "sites"; }

    void Click(const char* button) { wizard->findChild<QPushButton*>(button)->click(); }

    // Selects the text in the shown page's text, as a drag of the mouse over it does.
    void Select(const QString& text) {
        const qsizetype at = pageText->toPlainText().indexOf(text);
        ASSERT_GE(at, 0) << text.toStdString();
        QTextCursor cursor(pageText->document());
        cursor.setPosition(static_cast<int>(at));
        cursor.setPosition(static_cast<int>(at + text.size()), QTextCursor::KeepAnchor);
        pageText->setTextCursor(cursor);
    }

    // Names the selected text on the company's home page as the field.
    void NameValue(int company, const char* label, const char* value) {
        companies->setCurrentRow(company);
        field->setCurrentText(QString::fromUtf8(label));
        Select(QString::fromUtf8(value));
        Click("nameValue");
    }

    // The row of the field's evidence once learned: its rule (or why not) and its hit rate.
    std::pair<QString, QString> LearnedRow(const char* label) {
        int row = -1;
        const bool learned = WaitFor(
            [&] {
                row = -1;
                for (int at = 0; at < fieldRules->rowCount(); ++at) {
                    if (fieldRules->item(at, 0)->text() == QString::fromUtf8(label)) row = at;
                }
                return row >= 0 && fieldRules->item(row, 1)->text() != QStringLiteral("正在学习…");
            },
            kLearnLimitMs);
        if (!learned) return {QStringLiteral("<still learning>"), QString()};
        return {fieldRules->item(row, 1)->text(), fieldRules->item(row, 2)->text()};
    }

    QStringList CompanyValues() const {
        QStringList values;
        for (int row = 0; row < companyValues->rowCount(); ++row)
            values << companyValues->item(row, 1)->text();
        return values;
    }

    TempDir dir;
    std::unique_ptr<CRulesWizardDlg> ownWizard;
    CRulesWizardDlg* wizard = nullptr;
    QListWidget* companies = nullptr;
    QComboBox* pages = nullptr;
    QPlainTextEdit* pageText = nullptr;
    QComboBox* field = nullptr;
    QTableWidget* fieldRules = nullptr;
    QTableWidget* companyValues = nullptr;
    QTableWidget* namedValues = nullptr;
    QLineEdit* siteName = nullptr;
};

TEST_F(RulesWizardTest, OpensAParentFolderOrSingleCompaniesOnceEachAndRefusesOtherFolders) {
    // One company's own folder, then the parent of all: the one open already is not listed twice.
    ownWizard = std::make_unique<CRulesWizardDlg>(dir.File("config/base.rules").string());
    companies = ownWizard->findChild<QListWidget*>("companies");
    ASSERT_TRUE(ownWizard->OpenFolder(QString::fromStdString(Saved(2).string())));
    EXPECT_EQ(companies->count(), 1);
    ASSERT_TRUE(ownWizard->OpenFolder(QString::fromStdString(dir.File("saved").string())));
    QStringList listed;
    for (int row = 0; row < companies->count(); ++row)
        listed << companies->item(row)->text().section(u' ', 0, 0);
    EXPECT_EQ(listed, (QStringList{"3", "1", "2", "4"}));
    EXPECT_EQ(companies->item(1)->toolTip(), "http://www.test-b2b.test/company/1.html");
    EXPECT_TRUE(TakeShownMessages().empty());
    // The same folders by other spellings: nothing new.
    for (const fs::path& again : {Saved(0) / "", dir.File("saved") / ".." / "saved"}) {
        ASSERT_TRUE(ownWizard->OpenFolder(QString::fromStdString(again.string())));
        EXPECT_EQ(companies->count(), 4) << again;
    }

    EXPECT_FALSE(ownWizard->OpenFolder(QString::fromStdString(dir.File("config").string())));
    EXPECT_EQ(TakeShownMessages().size(), 1u);
    EXPECT_EQ(companies->count(), 4);

    // The page shown is the home page's visible text, in Unicode.
    companies->setCurrentRow(1);
    pages = ownWizard->findChild<QComboBox*>("pages");
    pageText = ownWizard->findChild<QPlainTextEdit*>("pageText");
    ASSERT_EQ(pages->count(), 2);
    EXPECT_EQ(pages->currentText(), "首页");
    EXPECT_TRUE(pageText->toPlainText().contains(QStringLiteral("联系人\t张伟 先生")))
        << pageText->toPlainText().toStdString();
    EXPECT_TRUE(pageText->toPlainText().contains(QStringLiteral("传真号码 0577-88880000")));
    pages->setCurrentIndex(1);
    EXPECT_EQ(pages->currentText(), QStringLiteral("链接页 1：") + kLinkedAddress);
    EXPECT_EQ(pageText->toPlainText(), QStringLiteral("地址： 温州市 鹿城区"))
        << pageText->toPlainText().toStdString();
    companies->setCurrentRow(2);
    EXPECT_EQ(pages->count(), 1) << "a company without linked pages";
}

TEST_F(RulesWizardTest, ANamedValueGivesItsRuleAndTheValueOnEveryOtherCompany) {
    // Selected, not yet named: the rule shows already.
    companies->setCurrentRow(0);
    field->setCurrentText(QStringLiteral("联系人"));
    Select(QStringLiteral("张伟 先生"));
    const auto [rule, hits] = LearnedRow("联系人");
    EXPECT_FALSE(rule.startsWith(QStringLiteral("未学会"))) << rule.toStdString();
    EXPECT_FALSE(rule.isEmpty());
    EXPECT_EQ(hits, "4/4");
    QStringList contacts;
    for (const TestCompany& company : kCompanies) contacts << QString::fromUtf8(company.contact);
    EXPECT_EQ(CompanyValues(), contacts);

    Click("nameValue");
    ASSERT_EQ(namedValues->rowCount(), 1);
    EXPECT_EQ(namedValues->item(0, 0)->text(), "联系人");
    EXPECT_EQ(namedValues->item(0, 1)->text(), "张伟 先生");
    // Another company's value of another field, then the first forgotten again.
    NameValue(1, "电话", "0574-66553322");
    EXPECT_EQ(LearnedRow("电话").second, "4/4");
    companies->setCurrentRow(0);
    namedValues->setCurrentCell(0, 1);
    Click("forgetValue");
    EXPECT_EQ(namedValues->rowCount(), 0);
    pageText->moveCursor(QTextCursor::Start);  // nothing selected, nothing tried
    ASSERT_TRUE(WaitFor([&] { return fieldRules->rowCount() == 1; }, kLearnLimitMs));
    EXPECT_EQ(fieldRules->item(0, 0)->text(), "电话");
}

// A picture of the dialog at work, for reviewers: build/tests/ui/rules_wizard.png.
TEST_F(RulesWizardTest, PicturesTheDialogWithTwoFieldsLearned) {
    NameValue(1, "电话", "0574-66553322");
    NameValue(0, "联系人", "张伟 先生");
    ASSERT_EQ(LearnedRow("电话").second, "4/4");
    ASSERT_EQ(LearnedRow("联系人").second, "4/4");
    wizard->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(wizard));
    const QImage picture = wizard->grab().toImage();
    const fs::path file =
        fs::path(QCoreApplication::applicationDirPath().toStdString()) / "ui" / "rules_wizard.png";
    fs::create_directories(file.parent_path());
    EXPECT_TRUE(picture.save(QString::fromStdString(file.string())));
}

// Honest limits: a value that is not on the page, or whose best rule holds on fewer than half of
// the companies, is not learned, and the dialog shows no rule and no values for it.
TEST_F(RulesWizardTest, AFieldThatCannotBeLearnedShowsWhyAndNoRule) {
    const struct {
        const char* label;
        const char* selected;
        const char* typed;  // the value then typed over the named one; none: as selected
    } cases[] = {
        {"传真", kOnlyFax, nullptr},          // on one of four companies only
        {"邮编", "0577-88881234", "325000"},  // on none of the pages
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        NameValue(0, c.label, c.selected);
        pageText->moveCursor(QTextCursor::Start);
        if (c.typed != nullptr) {
            for (int row = 0; row < namedValues->rowCount(); ++row) {
                if (namedValues->item(row, 0)->text() == QString::fromUtf8(c.label))
                    namedValues->item(row, 1)->setText(QString::fromUtf8(c.typed));
            }
        }
        const auto [rule, hits] = LearnedRow(c.label);
        EXPECT_TRUE(rule.startsWith(QStringLiteral("未学会："))) << rule.toStdString();
        EXPECT_GT(rule.size(), QStringLiteral("未学会：").size()) << "the reason is given";
        EXPECT_TRUE(hits.isEmpty());
        EXPECT_EQ(CompanyValues(), QStringList(4, QString()));
    }
}

TEST_F(RulesWizardTest, SavesTheProfileOnTheBaseWithoutReplacingAFileUnasked) {
    NameValue(0, "联系人", "张伟 先生");
    ASSERT_EQ(LearnedRow("联系人").second, "4/4");
    QSignalSpy saved(wizard, &CRulesWizardDlg::profileSaved);

    // No name, a name another site has: nothing written.
    const struct {
        const char* name;
        const char* message;
    } refused[] = {{"  ", "请填写新站点的名称。"},
                   {"示范名录（现代）", "已有名为“示范名录（现代）”的站点，请换一个名称。"}};
    fs::create_directories(ProfileFolder());
    fs::copy_file(SourceDir() / "config" / "sites" / "demo-modern.rules",
                  ProfileFolder() / "demo-modern.rules");
    for (const auto& c : refused) {
        siteName->setText(QString::fromUtf8(c.name));
        Click("save");
        EXPECT_EQ(TakeShownMessages(), std::vector<QString>{QString::fromUtf8(c.message)}) << c.name;
    }
    EXPECT_EQ(saved.size(), 0);

    siteName->setText(QStringLiteral("向导站"));
    Click("save");
    EXPECT_TRUE(TakeShownMessages().empty());
    const fs::path profile = ProfileFolder() / "向导站.rules";
    ASSERT_EQ(saved.size(), 1);
    EXPECT_EQ(saved.takeFirst().at(0).toString(), QString::fromStdString(profile.string()));
    const std::string text = ReadFile(profile);
    EXPECT_EQ(text.rfind(Gbk(QStringLiteral("siteName,,,向导站\r\n")), 0), 0u) << "in the base's line ends";
    // The base's search and list rules are kept, its name is not.
    EXPECT_NE(text.find("searchUrlTemplate,,,http://www.demo-b2b.test/search?q={keyword}"),
              std::string::npos);
    EXPECT_NE(text.find("nextPageReg,,,"), std::string::npos);
    EXPECT_EQ(text.find(Gbk(QStringLiteral("示范名录（现代）"))), std::string::npos);
    EXPECT_NE(text.find(Gbk(QStringLiteral(",,,联系人,,,"))), std::string::npos);

    // Saved again: asked first; 否 leaves the file as it was, 是 replaces it.
    fs::resize_file(profile, 10);
    SetNextMessageAnswers({MessageAnswer::No});
    Click("save");
    ASSERT_EQ(TakeShownMessages().size(), 1u);
    EXPECT_EQ(fs::file_size(profile), 10u);
    SetNextMessageAnswers({MessageAnswer::Yes});
    Click("save");
    EXPECT_EQ(ReadFile(profile), text);
    EXPECT_EQ(saved.size(), 1);
}

// Companies captured with the pages their home page links to: the contact facts stand on a linked
// page, and naming a value there teaches the link to the contact page as well, which is saved.
TEST_F(RulesWizardTest, AValueOnALinkedPageTeachesTheLinkToTheContactPage) {
    for (int index = 0; index < 3; ++index) {
        const std::string number = std::to_string(index + 1);
        CapturedCompany company;
        company.link = "http://www.test-b2b.test/c/" + number + "/";
        company.pages[static_cast<std::size_t>(CompanyPage::home)] = Gbk(
            QStringLiteral("<html><body><h1>公司%1</h1><a href=\"contact.html\">联系方式</a></body></html>")
                .arg(index + 1));
        company.linkedPages.push_back(
            {company.link + "contact.html",
             Gbk(QStringLiteral("<table><tr><th>电话</th><td>0571-000%1</td></tr></table>").arg(index + 1))});
        ASSERT_TRUE(SaveCapturedCompany(dir.File("followed/" + number).string(), company));
    }
    ownWizard = std::make_unique<CRulesWizardDlg>(dir.File("config/base.rules").string());
    wizard = ownWizard.get();
    Attach(wizard, "followed");
    companies->setCurrentRow(0);
    ASSERT_EQ(pages->count(), 2);
    pages->setCurrentIndex(1);
    field->setCurrentText(QStringLiteral("电话"));
    Select(QStringLiteral("0571-0001"));
    Click("nameValue");
    EXPECT_FALSE(LearnedRow("联系方式页的链接").first.startsWith(QStringLiteral("未学会")));
    EXPECT_EQ(LearnedRow("电话").second, "3/3");
    EXPECT_EQ(CompanyValues(), (QStringList{"0571-0001", "0571-0002", "0571-0003"}));

    siteName->setText(QStringLiteral("向导站"));
    Click("save");
    const std::string text = ReadFile(ProfileFolder() / "向导站.rules");
    EXPECT_NE(text.find("generalCompContactReg,,,"), std::string::npos) << text;
}

// The learning worker: the latest wish is always learned and arrives last, sets not begun when a
// newer one comes are dropped, and a worker destroyed while it learns delivers nothing after.
TEST_F(RulesWizardTest, TheLearningWorkerLearnsTheLatestSetAndNothingAfterItGoes) {
    std::vector<CapturedCompany> captured;
    for (const OpenedCompany& company : ReadCapturedCompanies(dir.File("saved").string()))
        captured.push_back(company.company);
    const ProfileLearner learner(captured);
    QObject receiver;
    std::vector<NamedValues::Values> delivered;
    auto worker = std::make_unique<LearningWorker>(
        &receiver,
        [&](std::uint64_t serial, const NamedValues::Values& values, const std::vector<FieldEvidence>&) {
            EXPECT_EQ(serial, 7u);
            delivered.push_back(values);
        });
    std::vector<NamedValues::Values> asked;
    for (const TestCompany& company : kCompanies) {
        asked.push_back(
            {{asked.size(), {{Gbk(QStringLiteral("联系人")), Gbk(QString::fromUtf8(company.contact))}}}});
        worker->Learn(7, learner, {asked.back()});
    }
    ASSERT_TRUE(
        WaitFor([&] { return !delivered.empty() && delivered.back() == asked.back(); }, kLearnLimitMs));
    for (const NamedValues::Values& values : delivered)
        EXPECT_NE(std::find(asked.begin(), asked.end(), values), asked.end());
    EXPECT_EQ(std::set<NamedValues::Values>(delivered.begin(), delivered.end()).size(), delivered.size());

    delivered.clear();
    worker->Learn(7, learner, {asked.front()});
    worker.reset();  // joined here, perhaps in the middle of learning
    QTest::qWait(50);
    EXPECT_LE(delivered.size(), 1u) << "at most the set that was in progress";
}

// From the main window: the button beside the site chooser opens the wizard on the chosen site,
// and the profile it saves is listed at once, the chosen site staying chosen; saved over the
// chosen site, its rules are read again.
TEST_F(RulesWizardTest, TheMainWindowsButtonOpensItAndTheChooserListsTheSavedProfile) {
    fs::copy_file(SourceDir() / "config" / "reg.alibaba", dir.File("config/reg.alibaba"));
    CHarvioDlg window;
    auto* sites = qobject_cast<QComboBox*>(window.Control(1039));
    ASSERT_NE(sites, nullptr);
    const int listed = sites->count();
    const QString chosen = sites->currentText();
    qobject_cast<QAbstractButton*>(window.Control(1040))->click();
    auto* opened = window.findChild<CRulesWizardDlg*>();
    ASSERT_NE(opened, nullptr);
    EXPECT_TRUE(opened->isVisible());
    EXPECT_EQ(opened->windowTitle(), "规则向导");

    Attach(opened);
    NameValue(0, "电话", "0577-88881234");
    ASSERT_EQ(LearnedRow("电话").second, "4/4");
    siteName->setText(QStringLiteral("向导站"));
    Click("save");
    EXPECT_EQ(sites->count(), listed + 1);
    EXPECT_GE(sites->findText(QStringLiteral("向导站")), 0);
    EXPECT_EQ(sites->currentText(), chosen);
    opened->close();

    // Learned again on the chosen profile and saved over it: the next search reads the new rule.
    sites->setCurrentIndex(sites->findText(QStringLiteral("向导站")));
    auto* engine = dynamic_cast<SearchEngine_Alibaba*>(GetSearchEngine(kDirectoryEngine));
    ASSERT_NE(engine, nullptr);
    const std::string contactLabel = Gbk(QStringLiteral("联系人"));
    const std::string baseContactRule = engine->Rules().generalRules.at(contactLabel).str();
    qobject_cast<QAbstractButton*>(window.Control(1040))->click();
    opened = window.findChildren<CRulesWizardDlg*>().back();
    Attach(opened);
    NameValue(0, "联系人", "张伟 先生");
    const QString learnedContactRule = LearnedRow("联系人").first;
    siteName->setText(QStringLiteral("向导站"));
    SetNextMessageAnswers({MessageAnswer::Yes});
    Click("save");
    EXPECT_EQ(TakeShownMessages().size(), 1u) << "asked before replacing";
    EXPECT_EQ(sites->currentText(), QStringLiteral("向导站"));
    EXPECT_NE(engine->Rules().generalRules.at(contactLabel).str(), baseContactRule);
    EXPECT_EQ(engine->Rules().generalRules.at(contactLabel).str(), Gbk(learnedContactRule));
    opened->close();
}

}  // namespace
