// The condition boxes of the main window: the province list, the city box that follows the
// province, and the conditions a search takes from the boxes.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QStringEncoder>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/harvio_dlg.h"
#include "platform/program_directory.h"
#include "support/temp_dir.h"
#include "ui/support/ui_test_support.h"

namespace {

std::string Gbk(const char* utf8) {
    QStringEncoder encoder("GBK");
    const QByteArray bytes = encoder.encode(QString::fromUtf8(utf8));
    return bytes.toStdString();
}

QStringList Entries(const QComboBox& box) {
    QStringList entries;
    for (int i = 0; i < box.count(); ++i) entries << box.itemText(i);
    return entries;
}

class ConditionBoxesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureTestApplication(); }

    // The window over a region list of the given GBK lines; no list file at all when null.
    void OpenWindow(const std::vector<std::string>* provinceLines) {
        std::filesystem::create_directories(dir.File("config"));
        if (provinceLines != nullptr) {
            std::ofstream file(dir.File("config") / "Province.txt", std::ios::binary);
            for (const std::string& line : *provinceLines) file << line << '\n';
        }
        SetProgramDirectoryForTesting(dir.Path().string());
        window = std::make_unique<CHarvioDlg>();
        province = qobject_cast<QComboBox*>(window->Control(1003));
        city = qobject_cast<QComboBox*>(window->Control(1028));
        industry = qobject_cast<QComboBox*>(window->Control(1027));
        businessModel = qobject_cast<QComboBox*>(window->Control(1004));
        keyword = qobject_cast<QLineEdit*>(window->Control(1001));
        ASSERT_TRUE(province && city && industry && businessModel && keyword);
    }

    void OpenWindowWithProvinces(std::initializer_list<const char*> utf8Lines) {
        lines.clear();
        for (const char* line : utf8Lines) lines.push_back(Gbk(line));
        OpenWindow(&lines);
    }

    void Choose(QComboBox* box, const char* utf8Entry) {
        const int index = box->findText(QString::fromUtf8(utf8Entry));
        ASSERT_GE(index, 0) << utf8Entry;
        box->setCurrentIndex(index);
    }

    void TearDown() override {
        window.reset();
        SetProgramDirectoryForTesting("");
    }

    TempDir dir;
    std::vector<std::string> lines;
    std::unique_ptr<CHarvioDlg> window;
    QComboBox* province = nullptr;
    QComboBox* city = nullptr;
    QComboBox* industry = nullptr;
    QComboBox* businessModel = nullptr;
    QLineEdit* keyword = nullptr;
};

TEST_F(ConditionBoxesTest, StartsWithTheFirstEntriesAndADisabledEmptyCityBox) {
    OpenWindowWithProvinces({"所有省份", "北京", "浙江"});
    EXPECT_EQ(Entries(*province), (QStringList{"所有省份", "北京", "浙江"}));
    EXPECT_EQ(province->currentIndex(), 0);
    EXPECT_EQ(industry->count(), 41);
    EXPECT_EQ(industry->currentText(), "所有行业");
    EXPECT_EQ(industry->itemText(24), "礼品、工艺品、饰品");
    EXPECT_EQ(industry->itemText(40), "库存积压");
    EXPECT_EQ(Entries(*businessModel), (QStringList{"全部", "生产加工", "经销批发", "招商代理", "商业服务"}));
    EXPECT_EQ(businessModel->currentText(), "全部");
    EXPECT_FALSE(city->isEnabled());
    EXPECT_EQ(city->count(), 0);
    // Drop-down lists only: the user picks an entry and cannot type one.
    for (QComboBox* box : {province, city, industry, businessModel}) EXPECT_FALSE(box->isEditable());
}

TEST_F(ConditionBoxesTest, ChoosingZhejiangOffersAllCitiesThenEveryCityUpToZhoushan) {
    OpenWindowWithProvinces({"所有省份", "北京", "浙江", "香港"});
    Choose(province, "浙江");
    EXPECT_TRUE(city->isEnabled());
    EXPECT_EQ(Entries(*city), (QStringList{"所有城市", "衢州", "杭州", "湖州", "嘉兴", "宁波", "绍兴", "台州",
                                           "温州", "丽水", "金华", "舟山"}));
    EXPECT_EQ(city->currentText(), "所有城市");
}

TEST_F(ConditionBoxesTest, ProvincesWithoutCityListEmptyAndDisableTheCityBox) {
    OpenWindowWithProvinces({"所有省份", "北京", "浙江", "香港"});
    for (const char* entry : {"北京", "香港", "所有省份"}) {
        Choose(province, "浙江");
        ASSERT_TRUE(city->isEnabled());
        Choose(province, entry);
        EXPECT_FALSE(city->isEnabled()) << entry;
        EXPECT_EQ(city->count(), 0) << entry;
        EXPECT_EQ(window->ReadSearchCondition().city, "") << entry;
    }
}

TEST_F(ConditionBoxesTest, ALongerProvinceLineFindsItsBlockButIsHandedOnWhole) {
    OpenWindowWithProvinces({"所有省份", "吉林省"});
    keyword->setText("x");
    Choose(province, "吉林省");
    EXPECT_EQ(city->itemText(1), "长春");
    Choose(city, "吉林");
    const SearchCondition condition = window->ReadSearchCondition();
    EXPECT_EQ(condition.province, Gbk("吉林省"));
    EXPECT_EQ(condition.city, Gbk("吉林"));
}

TEST_F(ConditionBoxesTest, AllEntriesBecomeEmptyValues) {
    OpenWindowWithProvinces({"所有省份", "浙江"});
    keyword->setText(QString::fromUtf8("  "));
    const SearchCondition condition = window->ReadSearchCondition();
    EXPECT_EQ(condition.keyword, "  ");  // blanks are a keyword
    EXPECT_EQ(condition.province, "");
    EXPECT_EQ(condition.city, "");
    EXPECT_EQ(condition.industry, "");
    EXPECT_EQ(condition.bizType, "");
    Choose(province, "浙江");
    EXPECT_EQ(window->ReadSearchCondition().city, "");  // "所有城市"
    EXPECT_EQ(window->ReadSearchCondition().province, Gbk("浙江"));
}

TEST_F(ConditionBoxesTest, ChosenEntriesAreHandedOnAsGbkWithTheirBlanks) {
    OpenWindowWithProvinces({"所有省份", "陕西", "青海"});
    keyword->setText(QString::fromUtf8("LED 灯"));
    Choose(province, "陕西");
    Choose(city, "延 安");
    Choose(industry, "礼品、工艺品、饰品");
    Choose(businessModel, "招商代理");
    SearchCondition condition = window->ReadSearchCondition();
    EXPECT_EQ(condition.keyword, Gbk("LED 灯"));
    EXPECT_EQ(condition.province, Gbk("陕西"));
    EXPECT_EQ(condition.city, Gbk("延 安"));
    EXPECT_EQ(condition.industry, Gbk("礼品、工艺品、饰品"));
    EXPECT_EQ(condition.bizType, Gbk("招商代理"));
    Choose(province, "青海");
    Choose(city, "海东 ");
    EXPECT_EQ(window->ReadSearchCondition().city, Gbk("海东 "));
}

TEST_F(ConditionBoxesTest, AProvinceLineIsHandedOnByteForByte) {
    // A line that is not valid GBK still reaches the engine exactly as the file holds it.
    lines = {Gbk("所有省份"), Gbk("浙江") + "\x81"};
    OpenWindow(&lines);
    province->setCurrentIndex(1);
    EXPECT_EQ(window->ReadSearchCondition().province, lines[1]);
    EXPECT_TRUE(city->isEnabled());  // its first two characters still find 浙江
}

TEST_F(ConditionBoxesTest, AMissingProvinceListLeavesTheBoxEmptyAndTheWindowUsable) {
    OpenWindow(nullptr);
    EXPECT_EQ(province->count(), 0);
    EXPECT_EQ(province->currentIndex(), -1);
    EXPECT_FALSE(city->isEnabled());
    keyword->setText("pump");
    const SearchCondition condition = window->ReadSearchCondition();
    EXPECT_EQ(condition.keyword, "pump");
    EXPECT_EQ(condition.province, "");
    EXPECT_TRUE(window->Control(1006)->isEnabled());
}

TEST_F(ConditionBoxesTest, AnEmptyLineIsAnEntryWithoutCities) {
    OpenWindowWithProvinces({"所有省份", "", "浙江"});
    EXPECT_EQ(province->count(), 3);
    Choose(province, "浙江");
    province->setCurrentIndex(1);
    EXPECT_FALSE(city->isEnabled());
    EXPECT_EQ(window->ReadSearchCondition().province, "");
}

}  // namespace
