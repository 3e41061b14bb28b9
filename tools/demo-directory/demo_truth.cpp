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
    return {
        company.family == DemoFamily::Member ? "★" : "☆",
        company.name,
        company.contactName,
        company.contactTitle,
        company.phone,
        company.mobile,
        company.fax,
        company.address,
        company.zipCode,
        company.webSite,
        company.introText,
        company.mainProduct,
        company.industry,
        company.companyType,
        company.businessModel,
        company.foundTime,
        company.legalPerson,
        company.employeeCount,
        company.regCapital,
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
