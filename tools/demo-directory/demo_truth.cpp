#include "tools/demo-directory/demo_truth.h"

#include <algorithm>

#include "tools/demo-directory/gbk_text.h"

namespace {

std::string QuotedCsvField(const std::string& text) {
    std::string field = "\"";
    for (char c : text) {
        if (c == '"') field += '"';
        field += c;
    }
    return field + "\"";
}

}  // namespace

std::vector<std::string> TruthCells(const DemoCompany& company) {
    // A company without an introduction page (classic) or profile (modern) shows none of the
    // facts those hold.
    const bool profile = company.introduction != DemoIntroduction::NoLink;
    const auto fromProfile = [&](const std::string& value) { return profile ? value : std::string(); };
    return {
        company.family == DemoFamily::Member ? "★" : "☆",
        fromProfile(company.name),
        company.contactName,
        company.contactTitle,
        company.phone,
        company.mobile,
        company.fax,
        company.address,
        company.zipCode,
        company.webSite,
        fromProfile(company.introText),
        company.mainProduct,
        company.industry,
        fromProfile(company.companyType),
        company.businessModel,
        fromProfile(company.foundTime),
        fromProfile(company.legalPerson),
        fromProfile(company.employeeCount),
        fromProfile(company.regCapital),
    };
}

std::vector<std::string> TruthLines(const DemoCatalogue& catalogue, const DemoSite& site,
                                    const DemoConditions& conditions) {
    std::vector<std::string> lines;
    for (const DemoCompany* company : catalogue.Search(conditions)) {
        if (!site.CompanyReadable(*company)) continue;
        std::string line;
        for (const std::string& cell : TruthCells(*company)) line += QuotedCsvField(cell) + ",";
        lines.push_back(Utf8ToGbk(line).value_or(std::string()) + "\r\n");
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}
