#include "engine/site_change_check.h"

#include <vector>

namespace {

constexpr std::size_t kNamedRulesLimit = 8;  // more would not fit a message box

struct KeyField {
    const char* name;
    std::vector<std::string CompanyRecord::*> fields;  // empty in every company: all of these
};

const KeyField kKeyFields[] = {
    {"公司名称", {&CompanyRecord::compName}},
    {"联系人", {&CompanyRecord::contact}},
    {"电话和手机", {&CompanyRecord::phone, &CompanyRecord::mobile}},
};

uint64_t FilledCount(const RuleHealthSnapshot& health, std::string CompanyRecord::*member) {
    for (std::size_t field = 0; field < kCompanyFields.size(); ++field) {
        if (kCompanyFields[field].member == member) return health.filledFields[field];
    }
    return 0;
}

bool EmptyEverywhere(const RuleHealthSnapshot& health, const KeyField& key) {
    for (const auto member : key.fields) {
        if (FilledCount(health, member) > 0) return false;
    }
    return true;
}

void AppendListed(std::string& text, const std::string& item) {
    if (!text.empty()) text += "、";
    text += item;
}

}  // namespace

std::string SiteChangeWarning(const RuleHealthSnapshot& health, bool searchEnded,
                              const std::string& rulesFile) {
    const uint64_t enough = searchEnded ? kSiteCheckCompaniesAtEnd : kSiteCheckCompanies;
    std::string emptyFields;
    if (health.companiesRead >= enough) {
        for (const KeyField& key : kKeyFields) {
            if (EmptyEverywhere(health, key)) AppendListed(emptyFields, key.name);
        }
    }
    const bool pagesWithoutLinks = health.statedCompanies > 0 && health.listPagesWithoutLinks > 0;
    if (emptyFields.empty() && !pagesWithoutLinks) return {};

    std::string text = "目录网站的页面可能已经改版：";
    if (!emptyFields.empty()) {
        text +=
            "本次搜索读取的" + std::to_string(health.companiesRead) + "家公司的" + emptyFields + "全部为空";
    }
    if (pagesWithoutLinks) {
        if (!emptyFields.empty()) text += "；";
        text += std::to_string(health.listPagesWithoutLinks) + "个结果页标明有公司，却没有找到公司链接";
    }
    std::string neverMatched;
    std::size_t named = 0;
    for (const RuleFigures& rule : health.rules) {
        if (rule.tried == 0 || rule.matched > 0) continue;
        if (named++ == kNamedRulesLimit) {
            neverMatched += "等";
            break;
        }
        AppendListed(neverMatched, rule.name);
    }
    if (!neverMatched.empty()) text += "；从未匹配的规则：" + neverMatched;
    return text + "。\n规则文件(" + rulesFile + ")可能需要修改。";
}
