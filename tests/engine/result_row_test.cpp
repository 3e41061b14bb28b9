#include "engine/result_row.h"

#include "engine/gbk_characters.h"

#include <gtest/gtest.h>

TEST(SplitContact, FullWidthParenthesisFirst) {
    EXPECT_EQ(SplitContact("李先生（经理） "), std::make_pair(std::string("李先生"), std::string("经理")));
    // Without a closing parenthesis the title runs to the end, trailing blanks dropped.
    EXPECT_EQ(SplitContact("李（经 "), std::make_pair(std::string("李"), std::string("经")));
    EXPECT_EQ(SplitContact("（"), std::make_pair(std::string(), std::string()));
}

TEST(SplitContact, MadamBeforeSir) {
    EXPECT_EQ(SplitContact("王女士 经理"), std::make_pair(std::string("王女士"), std::string("经理")));
    EXPECT_EQ(SplitContact("王女士"), std::make_pair(std::string("王女士"), std::string()));
    EXPECT_EQ(SplitContact("王女士 "), std::make_pair(std::string("王女士"), std::string()));
    EXPECT_EQ(SplitContact("张先生/王女士 总监"),
              std::make_pair(std::string("张先生/王女士"), std::string("总监")));
    EXPECT_EQ(SplitContact("张先生 销售"), std::make_pair(std::string("张先生"), std::string("销售")));
}

// Contacts as directory pages write them; every part must be whole characters.
TEST(SplitContact, EveryFormSplitsBetweenWholeCharacters) {
    const struct {
        std::string contact, name, title;
    } cases[] = {
        {"赵敏（采购）", "赵敏", "采购"},
        {"赵敏（采购）  ", "赵敏", "采购"},
        {"赵敏（采购 　）经理", "赵敏", "采购"},
        {"张（销售", "张", "销售"},
        {"王女士经理", "王女士", "经理"},
        {"王女士　经理", "王女士", "经理"},
        {"李先生厂长", "李先生", "厂长"},
        {"李先生  厂长", "李先生", " 厂长"},
        // GB18030 four-byte characters on either side of every cut.
        {"𠮷女士𠮷经理", "𠮷女士", "𠮷经理"},
        {"𠮷（𠮷采购）", "𠮷", "𠮷采购"},
        {"吴（经理𠮷", "吴", "经理𠮷"},
        // B0 A3 A8 A1 holds the bytes of "（" (A3 A8) across two characters: no marker.
        {"\xB0\xA3\xA8\xA1先生 经理", "\xB0\xA3\xA8\xA1先生", "经理"},
    };
    for (const auto& form : cases) {
        EXPECT_EQ(SplitContact(form.contact), std::make_pair(form.name, form.title)) << form.contact;
    }
}

TEST(CharacterBoundaryBefore, NeverCutsATwoOrFourByteCharacter) {
    const std::string text = "a王𠮷b";  // 1 + 2 + 4 + 1 bytes
    const std::size_t expected[] = {0, 1, 1, 3, 3, 3, 3, 7, 8, 8};
    for (std::size_t limit = 0; limit < std::size(expected); ++limit)
        EXPECT_EQ(CharacterBoundaryBefore(text, limit), expected[limit]) << limit;
    // A lead byte at the very end is a character of its own.
    EXPECT_EQ(CharacterBoundaryBefore("a\xB0", 1), 1u);
    EXPECT_EQ(CharacterBoundaryBefore("a\xB0", 2), 2u);
}

TEST(SplitContact, WithoutMarkersTheWholeTextIsTheName) {
    EXPECT_EQ(SplitContact("Mr Smith"), std::make_pair(std::string("Mr Smith"), std::string()));
    EXPECT_EQ(SplitContact(""), std::make_pair(std::string(), std::string()));
}

TEST(StripCountryCode, DropsALeadingCountryCodeOnly) {
    EXPECT_EQ(StripCountryCode("86-0571-88886666"), "-0571-88886666");
    EXPECT_EQ(StripCountryCode("+86-571-88886666"), "-571-88886666");
    EXPECT_EQ(StripCountryCode(" 0086 571 88886666"), " 571 88886666");
    EXPECT_EQ(StripCountryCode("86"), "");
    EXPECT_EQ(StripCountryCode("0571-55554444"), "0571-55554444");
    // An 86 inside the local number is part of it.
    EXPECT_EQ(StripCountryCode("0755-86123456"), "0755-86123456");
    EXPECT_EQ(StripCountryCode("0571-8612-86"), "0571-8612-86");
    EXPECT_EQ(StripCountryCode("+1-86-555"), "+1-86-555");
    EXPECT_EQ(StripCountryCode("   "), "   ");
    EXPECT_EQ(StripCountryCode(""), "");
}

TEST(ResultCells, RecordFieldsInColumnOrder) {
    CompanyRecord record;
    record.validate = 1;
    record.compName = "公司";
    record.contact = "王女士 经理";
    record.phone = "86-0571-1";
    record.mobile = "139";
    record.fax = "fax";
    record.address = "addr";
    record.zipCode = "310000";
    record.webSite = "web";
    record.compIntroduce = "intro";
    record.mainProduct = "product";
    record.mainIndustry = "industry";
    record.compType = "type";
    record.businessMode = "mode";
    record.foundTime = "2001";
    record.legalPerson = "legal";
    record.employeeCount = "50";
    record.regCapital = "100";
    record.regAddress = "not shown";
    const std::array<std::string, kResultColumnCount> expected = {
        "7",   "★",     "公司",    "王女士",   "经理", "-0571-1", "139",  "fax",   "addr", "310000",
        "web", "intro", "product", "industry", "type", "mode",    "2001", "legal", "50",   "100"};
    EXPECT_EQ(BuildResultCells(record, 7), expected);
    record.validate = 0;
    EXPECT_EQ(BuildResultCells(record, 1)[1], "☆");
    record.validate = 2;
    EXPECT_EQ(BuildResultCells(record, 1)[1], "☆");
}

TEST(CsvLine, QuotedFieldsEachFollowedByACommaAndQuotesDoubled) {
    std::array<std::string, kResultColumnCount> cells;
    cells[0] = "1";
    cells[2] = "say \"hi\", then\r\nleave";
    std::string expected = "\"1\",\"\",\"say \"\"hi\"\", then\r\nleave\",";
    for (int index = 3; index < kResultColumnCount; ++index) expected += "\"\",";
    EXPECT_EQ(CsvLine(cells), expected + "\r\n");
}

TEST(CsvLine, HeaderHoldsTheTwentyTitles) {
    EXPECT_EQ(
        CsvHeaderLine(),
        "\"序号\",\"认证\",\"公司名称\",\"联系人\",\"职务\",\"电话\",\"手机\",\"传真\",\"地址\",\"邮编\","
        "\"网址\",\"公司介绍\",\"主营产品\",\"主营行业\",\"企业类型\",\"经营模式\",\"成立时间\",\"负责人\","
        "\"员工人数\",\"注册资本\",\r\n");
}
