#include "engine/site_change_check.h"

#include <gtest/gtest.h>

namespace {

std::size_t FieldIndex(std::string CompanyRecord::*member) {
    for (std::size_t index = 0; index < kCompanyFields.size(); ++index) {
        if (kCompanyFields[index].member == member) return index;
    }
    return 0;
}

// Companies read, every key field filled in each of them unless cleared below.
RuleHealthSnapshot Read(uint64_t companies) {
    RuleHealthSnapshot health;
    health.companiesRead = companies;
    health.records = companies;
    health.filledFields.fill(companies);
    return health;
}

RuleHealthSnapshot Without(RuleHealthSnapshot health,
                           std::initializer_list<std::string CompanyRecord::*> fields) {
    for (const auto member : fields) health.filledFields[FieldIndex(member)] = 0;
    return health;
}

}  // namespace

TEST(SiteChangeWarning, NeedsEnoughCompaniesAndAKeyFieldEmptyInEveryOne) {
    const struct {
        const char* what;
        RuleHealthSnapshot health;
        bool ended;
        const char* named;  // nullptr: no warning
    } cases[] = {
        {"all fields filled", Read(40), true, nullptr},
        {"19 read while running", Without(Read(19), {&CompanyRecord::compName}), false, nullptr},
        {"20 read while running", Without(Read(20), {&CompanyRecord::compName}), false, "公司名称"},
        {"2 read at the end", Without(Read(2), {&CompanyRecord::contact}), true, nullptr},
        {"3 read at the end", Without(Read(3), {&CompanyRecord::contact}), true, "联系人"},
        {"only the telephone empty", Without(Read(30), {&CompanyRecord::phone}), true, nullptr},
        {"telephone and mobile empty", Without(Read(30), {&CompanyRecord::phone, &CompanyRecord::mobile}),
         true, "电话和手机"},
    };
    for (const auto& test : cases) {
        const std::string warning = SiteChangeWarning(test.health, test.ended);
        if (test.named == nullptr) {
            EXPECT_EQ(warning, "") << test.what;
        } else {
            EXPECT_NE(warning.find(test.named), std::string::npos) << test.what;
            EXPECT_NE(warning.find("config/reg.alibaba"), std::string::npos) << test.what;
        }
    }
}

TEST(SiteChangeWarning, NamesAResultPageWithoutLinksOnlyWhenTheSiteSaidItHeldCompanies) {
    RuleHealthSnapshot health;
    health.listPages = 2;
    health.listPagesWithoutLinks = 1;
    health.rules = {{"validateCompReg", 2, 0}, {"CompReg", 2, 1}, {"generalCompReg", 0, 0}};
    EXPECT_EQ(SiteChangeWarning(health, true), "");
    health.statedCompanies = 75;
    const std::string warning = SiteChangeWarning(health, false);
    EXPECT_NE(warning.find("1个结果页"), std::string::npos) << warning;
    // Only the rule that was tried and never matched is named.
    EXPECT_NE(warning.find("从未匹配的规则：validateCompReg。"), std::string::npos) << warning;
}
