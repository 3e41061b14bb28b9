// The region tables behind the province and city boxes: the built-in province and city table,
// the item splitter, the block look-up, and the reading of the region list file.

#include <gtest/gtest.h>

#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>
#include <filesystem>
#include <fstream>

#include "support/temp_dir.h"
#include "ui/search/province_city_table.h"
#include "ui/search/text_lines.h"
#include "ui/support/ui_test_support.h"

namespace {

std::string Gbk(const char* utf8) {
    QStringEncoder encoder("GBK");
    const QByteArray bytes = encoder.encode(QString::fromUtf8(utf8));
    return bytes.toStdString();
}

QString Text(const std::string& gbk) {
    QStringDecoder decoder("GBK");
    return decoder.decode(QByteArrayView(gbk.data(), static_cast<qsizetype>(gbk.size())));
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(ProvinceCityTableTest, HoldsThirtyFourStarEndedBlocksInTwoThousandThreeHundredThirtyBytes) {
    EXPECT_EQ(ProvinceCityTable.size(), 2330u);
    ASSERT_EQ(ProvinceCityTable.back(), '*');
    const auto blocks = SplitItems(ProvinceCityTable, '*');
    ASSERT_EQ(blocks.size(), 34u);
    EXPECT_EQ(blocks.front(), Gbk("北京;"));
    EXPECT_EQ(blocks[4].substr(0, Gbk("浙江;所有城市;衢州;").size()), Gbk("浙江;所有城市;衢州;"));
    EXPECT_EQ(blocks.back(), Gbk("台湾"));
    // Every byte is valid GBK: the table decodes without a replacement character.
    EXPECT_FALSE(Text(std::string(ProvinceCityTable)).contains(QChar::ReplacementCharacter));
}

TEST(ProvinceCityTableTest, KeepsBlanksInsideAndAfterCityNames) {
    const auto shaanxi = SplitItems(*FindProvinceBlock(Gbk("陕西")), ';');
    EXPECT_NE(std::find(shaanxi.begin(), shaanxi.end(), Gbk("延 安")), shaanxi.end());
    const auto qinghai = SplitItems(*FindProvinceBlock(Gbk("青海")), ';');
    EXPECT_NE(std::find(qinghai.begin(), qinghai.end(), Gbk("海东 ")), qinghai.end());
    EXPECT_NE(std::find(qinghai.begin(), qinghai.end(), Gbk("黄南 藏族自治州")), qinghai.end());
}

TEST(SplitItemsTest, KeepsEmptyItemsBetweenSeparatorsAndTheNonEmptyRemainder) {
    EXPECT_EQ(SplitItems("a;;b;", ';'), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(SplitItems("a;b", ';'), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(SplitItems(";", ';'), (std::vector<std::string>{""}));
    EXPECT_TRUE(SplitItems("", ';').empty());
    EXPECT_EQ(SplitItems("no separator", ';'), (std::vector<std::string>{"no separator"}));
}

TEST(SplitItemsTest, SplitsOnlyAtTheOneByteSeparator) {
    // The second byte of a GBK character is never confused with ";" (0x3B lies below the trail range).
    const std::string cities = Gbk("杭州;湖州");
    EXPECT_EQ(SplitItems(cities, ';'), (std::vector<std::string>{Gbk("杭州"), Gbk("湖州")}));
}

TEST(FindProvinceBlockTest, MatchesByTheFirstTwoCharacters) {
    EXPECT_EQ(SplitItems(*FindProvinceBlock(Gbk("黑龙江")), ';').front(), Gbk("黑龙江"));
    EXPECT_EQ(SplitItems(*FindProvinceBlock(Gbk("内蒙古自治区")), ';').front(), Gbk("内蒙古"));
    EXPECT_EQ(SplitItems(*FindProvinceBlock(Gbk("吉林省")), ';').front(), Gbk("吉林"));
    EXPECT_EQ(*FindProvinceBlock(Gbk("香港特别行政区")), Gbk("香港"));
}

TEST(FindProvinceBlockTest, FindsNothingForShortUnknownOrAllEntries) {
    EXPECT_FALSE(FindProvinceBlock(Gbk("所有省份")));
    EXPECT_FALSE(FindProvinceBlock(Gbk("浙")));  // two bytes
    EXPECT_FALSE(FindProvinceBlock(std::string(Gbk("浙")) + "x"));
    EXPECT_FALSE(FindProvinceBlock(""));
    EXPECT_FALSE(FindProvinceBlock("Zhejiang"));
    // A prefix of a block is not enough: the province text must hold four bytes itself.
    EXPECT_FALSE(FindProvinceBlock(Gbk("北")));
}

TEST(ReadTextLinesTest, GivesEveryLineWithoutItsBreak) {
    TempDir dir;
    WriteFile(dir.File("lines.txt"), "first\r\n\nthird  \r\nlast without break");
    EXPECT_EQ(ReadTextLines(dir.File("lines.txt").string()),
              (std::vector<std::string>{"first", "", "third  ", "last without break"}));
}

TEST(ReadTextLinesTest, GivesNothingForAnEmptyPathAMissingFileOrAnEmptyFile) {
    TempDir dir;
    WriteFile(dir.File("empty.txt"), "");
    EXPECT_TRUE(ReadTextLines("").empty());
    EXPECT_TRUE(ReadTextLines(dir.File("missing.txt").string()).empty());
    EXPECT_TRUE(ReadTextLines(dir.File("empty.txt").string()).empty());
    EXPECT_TRUE(ReadTextLines(dir.Path().string()).empty());  // a directory
}

TEST(ReadTextLinesTest, KeepsGbkBytesAndATrailingEmptyLine) {
    TempDir dir;
    WriteFile(dir.File("gbk.txt"), Gbk("浙江\n\n"));
    EXPECT_EQ(ReadTextLines(dir.File("gbk.txt").string()), (std::vector<std::string>{Gbk("浙江"), ""}));
}

TEST(ShippedProvinceListTest, StartsWithAllProvincesAndNamesEveryBlockInTableOrder) {
    const auto lines = ReadTextLines((SourceDir() / "config" / "Province.txt").string());
    ASSERT_EQ(lines.size(), 35u);
    EXPECT_EQ(lines.front(), Gbk("所有省份"));
    const auto blocks = SplitItems(ProvinceCityTable, '*');
    for (size_t i = 1; i < lines.size(); ++i) {
        const auto block = FindProvinceBlock(lines[i]);
        ASSERT_TRUE(block) << i;
        EXPECT_EQ(*block, blocks[i - 1]);
        EXPECT_EQ(SplitItems(*block, ';').front(), lines[i]);
    }
}

}  // namespace
