#include "engine/label_table.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

struct LabelField {
    std::string_view label;
    std::string CompanyRecord::*field;
};

const std::array<LabelField, 38> kLabelTable = {{
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
}};

constexpr std::string_view kIntroductionLabel = "公司介绍";
constexpr std::string_view kNotRegistered = "还未在阿里巴巴登记公司信息";

const LabelField* FindLabel(std::string_view label) {
    const auto found = std::find_if(kLabelTable.begin(), kLabelTable.end(),
                                    [label](const LabelField& entry) { return entry.label == label; });
    return found == kLabelTable.end() ? nullptr : &*found;
}

}  // namespace

const char* const kMemberPageLabels[4] = {"注册时间", "最后登录时间", "企业身份认证", "诚信通年限"};

bool IsMemberPageLabel(const std::string& label) {
    return std::find(std::begin(kMemberPageLabels), std::end(kMemberPageLabels), label) !=
           std::end(kMemberPageLabels);
}

bool IsKnownLabel(const std::string& label) {
    return FindLabel(label) != nullptr;
}

std::vector<std::string> KnownLabelsInRecordOrder() {
    std::vector<std::string> labels;
    for (const CompanyField& field : kCompanyFields) {
        for (const LabelField& entry : kLabelTable)
            if (entry.field == field.member) labels.emplace_back(entry.label);
    }
    return labels;
}

std::size_t LabelOrder(const std::string& label) {
    const LabelField* known = FindLabel(label);
    return known == nullptr ? kLabelTable.size() : static_cast<std::size_t>(known - kLabelTable.data());
}

void MoveLabelsIntoRecord(LabelMap& labels, CompanyRecord& record) {
    for (auto entry = labels.begin(); entry != labels.end();) {
        const LabelField* known = FindLabel(entry->first);
        if (known == nullptr) {
            ++entry;
            continue;
        }
        const bool notRegistered =
            known->label == kIntroductionLabel && entry->second.find(kNotRegistered) != std::string::npos;
        if (!notRegistered) record.*(known->field) = std::move(entry->second);
        entry = labels.erase(entry);
    }
}
