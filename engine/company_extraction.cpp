#include "engine/company_extraction.h"

#include "http/trace_output.h"

std::unique_ptr<CompanyRecord> ExtractCompany(const ExtractionRules& rules, PageSource& source,
                                              const std::string& link, CompanyFamily family,
                                              ExtractionReport* report, RuleCounters* counters) {
    auto record = std::make_unique<CompanyRecord>();
    record->url = link;
    LabelMap labels;
    bool read = false;
    switch (family) {
        case CompanyFamily::companySite:
            read = ParseCompanySite(rules, source, link, *record, labels, report, counters);
            break;
        case CompanyFamily::general:
            read = ParseGeneralSite(rules, source, link, *record, labels, report, counters);
            break;
        case CompanyFamily::memberSite:
            record->validate = 1;
            read = ParseValidateSite(rules, source, link, *record, labels, report, counters);
            break;
    }
    if (!read) return nullptr;
    MoveLabelsIntoRecord(labels, *record);
    if (counters != nullptr) counters->NoteRecord(*record);
    if (!labels.empty()) {
        TraceLine("exist un match key value.");
        if (report != nullptr) {
            for (const auto& entry : labels) report->unknownLabels.push_back(entry.first);
        }
    }
    return record;
}

std::unique_ptr<CompanyRecord> ExtractCompany(const ExtractionRules& rules, PageSource& source,
                                              const std::string& link, ExtractionReport* report,
                                              RuleCounters* counters) {
    return ExtractCompany(rules, source, link, ChooseFamily(rules, link), report, counters);
}
