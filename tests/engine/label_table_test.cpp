#include "engine/label_table.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(LabelTable, EveryLabelMovesIntoItsField) {
    const std::vector<std::pair<std::string, std::string CompanyRecord::*>> table = {
        {"传真", &CompanyRecord::fax},
        {"地址", &CompanyRecord::address},
        {"电话", &CompanyRecord::phone},
        {"法定代表人/负责人", &CompanyRecord::legalPerson},
        {"工商注册信息", &CompanyRecord::bizRegInfo},
        {"公司成立时间", &CompanyRecord::foundTime},
        {"公司名称", &CompanyRecord::compName},
        {"公司网址", &CompanyRecord::webSite},
        {"公司注册地", &CompanyRecord::regAddress},
        {"会员评价", &CompanyRecord::memberRating},
        {"经营模式", &CompanyRecord::businessMode},
        {"主要客户", &CompanyRecord::mainCustomer},
        {"主营产品或服务", &CompanyRecord::mainProduct},
        {"注册资本", &CompanyRecord::regCapital},
        {"公司介绍", &CompanyRecord::compIntroduce},
        {"管理体系认证", &CompanyRecord::mgmtCertification},
        {"年出口额", &CompanyRecord::annualExport},
        {"年营业额", &CompanyRecord::annualTurnover},
        {"银行帐号", &CompanyRecord::bankAccount},
        {"经营品牌", &CompanyRecord::brand},
        {"联系人", &CompanyRecord::contact},
        {"企业类型", &CompanyRecord::compType},
        {"是否提供OEM代加工", &CompanyRecord::oem},
        {"研发部门人数", &CompanyRecord::rdStaffCount},
        {"移动电话", &CompanyRecord::mobile},
        {"邮编", &CompanyRecord::zipCode},
        {"员工人数", &CompanyRecord::employeeCount},
        {"证书及荣誉", &CompanyRecord::honors},
        {"质量控制", &CompanyRecord::qualityControl},
        {"主要经营地点", &CompanyRecord::mainPlace},
        {"主要市场", &CompanyRecord::mainMarket},
        {"主营行业", &CompanyRecord::mainIndustry},
        {"资信参考人", &CompanyRecord::creditReferee},
        {"厂房面积", &CompanyRecord::plantArea},
        {"开户银行", &CompanyRecord::bank},
        {"年进口额", &CompanyRecord::annualImport},
        {"信用等级参考", &CompanyRecord::creditLevel},
        {"月产量", &CompanyRecord::monthlyOutput},
    };
    LabelMap labels;
    for (const auto& [label, field] : table) labels[label] = "value of " + label;
    labels["注册时间"] = "2001";
    labels["公司名"] = "near miss";
    CompanyRecord record;
    MoveLabelsIntoRecord(labels, record);
    for (const auto& [label, field] : table) EXPECT_EQ(record.*field, "value of " + label) << label;
    EXPECT_TRUE(record.regTime.empty());
    const LabelMap left = {{"注册时间", "2001"}, {"公司名", "near miss"}};
    EXPECT_EQ(labels, left);
}

TEST(LabelTable, NotRegisteredIntroductionIsRemovedWithoutAValue) {
    CompanyRecord record;
    record.compIntroduce = "kept?";
    LabelMap labels = {{"公司介绍", "本公司还未在阿里巴巴登记公司信息，请联系"}};
    MoveLabelsIntoRecord(labels, record);
    EXPECT_TRUE(labels.empty());
    EXPECT_EQ(record.compIntroduce, "kept?");
    EXPECT_TRUE(IsKnownLabel("公司介绍"));
    EXPECT_FALSE(IsKnownLabel("注册时间"));
}

TEST(LabelTable, KnownLabelsComeInRecordOrderEachOnce) {
    const std::vector<std::string> labels = KnownLabelsInRecordOrder();
    ASSERT_GE(labels.size(), 8u);
    EXPECT_EQ(std::vector<std::string>(labels.begin(), labels.begin() + 8),
              (std::vector<std::string>{"联系人", "公司名称", "地址", "电话", "移动电话", "邮编", "传真",
                                        "公司网址"}));
    for (const std::string& label : labels) {
        EXPECT_TRUE(IsKnownLabel(label)) << label;
        EXPECT_EQ(std::count(labels.begin(), labels.end(), label), 1) << label;
    }
}
