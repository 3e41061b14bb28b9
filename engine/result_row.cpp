#include "engine/result_row.h"

#include "engine/gbk_characters.h"

const std::array<std::string_view, kResultColumnCount> kResultColumnTitles = {
    "序号",     "认证",     "公司名称", "联系人", "职务",     "电话",     "手机",
    "传真",     "地址",     "邮编",     "网址",   "公司介绍", "主营产品", "主营行业",
    "企业类型", "经营模式", "成立时间", "负责人", "员工人数", "注册资本",
};

namespace {

constexpr std::string_view kValidatedMark = "★";
constexpr std::string_view kNotValidatedMark = "☆";
constexpr std::string_view kTitleOpen = "（";   // full-width, two bytes
constexpr std::string_view kTitleClose = "）";  // full-width, two bytes
constexpr std::string_view kMadam = "女士";
constexpr std::string_view kSir = "先生";
constexpr std::string_view kWideBlank = "　";  // full-width space
constexpr std::string_view kCountryCode = "86";
constexpr std::string_view kInternationalPrefixes[] = {"+", "00"};

bool IsBlankAt(std::string_view text, std::size_t at) {
    return text[at] == ' ' || text[at] == '\t' || text.compare(at, kWideBlank.size(), kWideBlank) == 0;
}

// The text without the blanks at its end; only whole characters are looked at.
std::string WithoutTrailingBlanks(std::string_view text) {
    std::size_t end = 0;
    for (std::size_t at = 0; at < text.size(); at += CharacterLength(text, at)) {
        if (!IsBlankAt(text, at)) end = at + CharacterLength(text, at);
    }
    return std::string(text.substr(0, end));
}

// Name up to and including the salutation; the title after it, without the one blank that may
// separate them.
std::pair<std::string, std::string> SplitAtSalutation(std::string_view contact, std::size_t at,
                                                      std::string_view salutation) {
    const std::size_t nameEnd = at + salutation.size();
    std::size_t titleStart = nameEnd;
    if (titleStart < contact.size() && IsBlankAt(contact, titleStart))
        titleStart += CharacterLength(contact, titleStart);
    return {std::string(contact.substr(0, nameEnd)), std::string(contact.substr(titleStart))};
}

}  // namespace

// Markers are looked for on character boundaries only: byte-wise, the trail byte of one
// character and the lead byte of the next can read as a marker.
std::pair<std::string, std::string> SplitContact(const std::string& contact) {
    if (const std::size_t at = FindCharacters(contact, kTitleOpen); at != std::string::npos) {
        const std::size_t titleStart = at + kTitleOpen.size();
        const std::size_t close = FindCharacters(contact, kTitleClose, titleStart);
        const std::string_view title = std::string_view(contact).substr(
            titleStart, close == std::string::npos ? std::string::npos : close - titleStart);
        return {contact.substr(0, at), WithoutTrailingBlanks(title)};
    }
    if (const std::size_t at = FindCharacters(contact, kMadam); at != std::string::npos) {
        return SplitAtSalutation(contact, at, kMadam);
    }
    if (const std::size_t at = FindCharacters(contact, kSir); at != std::string::npos) {
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
