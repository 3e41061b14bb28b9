#include "cli/company_printout.h"

#include <cstdio>

#include "cli/record_output.h"

void PrintCompany(const CompanyRecord& record, const ExtractionReport& report, bool jsonl) {
    if (jsonl) {
        std::fputs(JsonLine(record).c_str(), stdout);
        return;
    }
    std::printf("validate\t%d\n", record.validate);
    for (const CompanyField& field : kCompanyFields) {
        const std::string& value = record.*(field.member);
        if (!value.empty()) std::printf("%s\t%s\n", field.name, PrintableValue(value).c_str());
    }
    for (const std::string& label : report.unmatchedLabels) {
        std::printf("unmatched\t%s\n", PrintableValue(label).c_str());
    }
    for (const std::string& label : report.unknownLabels) {
        std::printf("unknown\t%s\n", PrintableValue(label).c_str());
    }
}
