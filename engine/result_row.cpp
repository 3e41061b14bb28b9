#include "engine/result_row.h"

const std::array<std::string_view, kResultColumnCount> kResultColumnTitles = {
    "序号",     "认证",     "公司名称", "联系人", "职务",     "电话",     "手机",
    "传真",     "地址",     "邮编",     "网址",   "公司介绍", "主营产品", "主营行业",
    "企业类型", "经营模式", "成立时间", "负责人", "员工人数", "注册资本",
};

namespace {

constexpr std::string_view kValidatedMark = "★";
constexpr std::string_view kNotValidatedMark = "☆";
constexpr std::string_view kTitleOpen = "（";  // full-width, two bytes
constexpr std::string_view kMadam = "女士";
constexpr std::string_view kSir = "先生";
// The title ends in a full-width ")" and one more byte, which are not part of it.
constexpr std::size_t kTitleCloseLength = 3;
constexpr std::string_view kCountryCode = "86";
constexpr std::string_view kInternationalPrefixes[] = {"+", "00"};

// Name up to and including the salutation; the title after it and the one byte that follows.
std::pair<std::string, std::string> SplitAtSalutation(const std::string& contact, std::size_t at,
                                                      std::string_view salutation) {
    const std::size_t nameEnd = at + salutation.size();
    const std::size_t titleStart = nameEnd + 1;
    return {contact.substr(0, nameEnd),
            contact.size() > titleStart ? contact.substr(titleStart) : std::string()};
}

}  // namespace

std::pair<std::string, std::string> SplitContact(const std::string& contact) {
    if (const std::size_t at = contact.find(kTitleOpen); at != std::string::npos) {
        const std::string rest = contact.substr(at + kTitleOpen.size());
        return {contact.substr(0, at), rest.size() > kTitleCloseLength
                                           ? rest.substr(0, rest.size() - kTitleCloseLength)
                                           : std::string()};
    }
    if (const std::size_t at = contact.find(kMadam); at != std::string::npos) {
        return SplitAtSalutation(contact, at, kMadam);
    }
    if (const std::size_t at = contact.find(kSir); at != std::string::npos) {
        return SplitAtSalutation(contact, at, kSir);
    }
    return {contact, std::string()};
}

// Only a leading country code goes: "86" at the start of the number, after blanks and a "+" or
// "00" at the most. An "86" further in belongs to the local number ("0755-86123456") and stays.
std::string StripCountryCode(const std::string& phone) {
    std::size_t at = phone.find_first_not_of(' ');
    if (at == std::string::npos) return phone;
    for (const std::string_view international : kInternationalPrefixes) {
        if (phone.compare(at, international.size(), international) == 0) {
            at += international.size();
            break;
        }
    }
    if (phone.compare(at, kCountryCode.size(), kCountryCode) != 0) return phone;
    return phone.substr(at + kCountryCode.size());
}

std::array<std::string, kResultColumnCount> BuildResultCells(const CompanyRecord& record, int rowNumber) {
    auto [name, title] = SplitContact(record.contact);
    return {
        std::to_string(rowNumber),
        std::string(record.validate == 1 ? kValidatedMark : kNotValidatedMark),
        record.compName,
        std::move(name),
        std::move(title),
        StripCountryCode(record.phone),
        record.mobile,
        record.fax,
        record.address,
        record.zipCode,
        record.webSite,
        record.compIntroduce,
        record.mainProduct,
        record.mainIndustry,
        record.compType,
        record.businessMode,
        record.foundTime,
        record.legalPerson,
        record.employeeCount,
        record.regCapital,
    };
}

std::string CsvLine(const std::array<std::string, kResultColumnCount>& cells) {
    std::string line;
    for (const std::string& cell : cells) {
        line += '"';
        for (const char byte : cell) {
            if (byte == '"') line += '"';
            line += byte;
        }
        line += "\",";
    }
    line += "\r\n";
    return line;
}

std::string CsvHeaderLine() {
    std::array<std::string, kResultColumnCount> titles;
    for (int index = 0; index < kResultColumnCount; ++index)
        titles[index] = std::string(kResultColumnTitles[index]);
    return CsvLine(titles);
}
