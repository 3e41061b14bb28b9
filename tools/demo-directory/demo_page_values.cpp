#include "tools/demo-directory/demo_page_values.h"

#include "tools/demo-directory/gbk_text.h"

std::string JoinedValues(const std::vector<std::string>& items, const std::string& separator) {
    std::string text;
    for (const std::string& item : items) {
        if (!text.empty()) text += separator;
        text += item;
    }
    return text;
}

std::string ContactText(const DemoCompany& company) {
    switch (company.contactStyle) {
        case 0:
            return company.contactName + " " + company.contactTitle;
        case 1:
            return company.contactName + "（" + company.contactTitle + "）&nbsp;";
        case 3:
            return company.contactName + "（" + company.contactTitle + "）";
        case 4:
            return company.contactName + company.contactTitle;
        default:
            return company.contactName;
    }
}

std::string PhoneText(const DemoCompany& company) {
    return company.phoneWithCountryCode ? "86" + company.phone : company.phone;
}

std::string AddressText(const DemoCompany& company) {
    std::string address = company.address;
    std::size_t blank = address.find(' ');
    if (blank == std::string::npos) return address;
    // The clean-up looks for the full-width space byte by byte, so after a character whose GBK
    // trail byte is A1 (such as "省") it would pair that trail byte with the space's first byte
    // and garble both characters; such addresses are written with "&nbsp;".
    std::string before = Utf8ToGbk(address.substr(0, blank)).value_or(std::string());
    bool wideSpaceSafe = !before.empty() && static_cast<unsigned char>(before.back()) != 0xA1;
    address.replace(blank, 1, company.wideSpaceInAddress && wideSpaceSafe ? kWideSpace : "&nbsp;");
    return address;
}

std::string ProductsText(const DemoCompany& company) {
    return JoinedValues(company.products, company.productsWithSolidus ? kWideSolidus : "、");
}

std::string WebSiteText(const DemoCompany& company) {
    if (company.webSite.empty()) return "";
    return "<a href=\"" + company.webSite + "\" target=\"_blank\" rel=\"nofollow\">" + company.webSite +
           "</a>";
}

std::string IntroductionBody(const DemoCompany& company, const std::string& lineBreak,
                             const std::string& between) {
    if (company.introduction == DemoIntroduction::NotRegistered) {
        return "该企业还未在阿里巴巴登记公司信息，请通过联系方式与其联系。";
    }
    std::string body;
    for (std::size_t i = 0; i < company.introParagraphs.size(); ++i) {
        if (i > 0) body += lineBreak + "\r\n" + between;
        body += std::string(kWideSpace) + kWideSpace + company.introParagraphs[i];
    }
    return body;
}

PageFacts RegistrationFacts(const DemoCompany& company) {
    return {{"公司名称", company.name},           {"企业类型", company.companyType},
            {"公司成立时间", company.foundTime},  {"法定代表人/负责人", company.legalPerson},
            {"注册资本", company.regCapital},     {"员工人数", company.employeeCount},
            {"年营业额", company.annualTurnover}, {"主要市场", company.mainMarket}};
}
