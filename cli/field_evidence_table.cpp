#include "cli/field_evidence_table.h"

#include <algorithm>

#include "cli/gbk_text.h"
#include "cli/record_output.h"

namespace {

constexpr char kNoMatch[] = "-";

bool WithoutMatch(const FieldEvidence& field) {
    return !field.learned || field.matched == 0;
}

bool RuleReads(const FieldEvidence& field, const std::string& ruleKey) {
    return field.ruleKey == ruleKey || std::find(field.alsoRuleKeys.begin(), field.alsoRuleKeys.end(),
                                                 ruleKey) != field.alsoRuleKeys.end();
}

void PrintField(std::FILE* stream, const FieldEvidence& field,
                const std::vector<EvidenceCompany>& companies) {
    std::string keys = field.ruleKey;
    for (const std::string& also : field.alsoRuleKeys) keys += "," + also;
    if (!field.learned && !field.notLearnedReason.empty()) {
        std::fprintf(stream, "not learned\t%s\t%s\t%s\n", GbkToUtf8(field.label).c_str(), keys.c_str(),
                     PrintableValue(field.notLearnedReason).c_str());
        return;
    }
    std::fprintf(stream, "field\t%s\t%s\tmatched %zu of %zu\t%s\n", GbkToUtf8(field.label).c_str(),
                 keys.c_str(), field.matched, field.tried, GbkToUtf8(field.pattern).c_str());
    for (std::size_t company = 0; company < field.values.size() && company < companies.size(); ++company) {
        if (!RuleReads(field, companies[company].ruleKey)) continue;
        const std::optional<std::string>& value = field.values[company];
        std::fprintf(stream, "\t%s\t%s\n", companies[company].name.c_str(),
                     value ? PrintableValue(*value).c_str() : kNoMatch);
    }
}

}  // namespace

void PrintFieldEvidence(std::FILE* stream, const std::vector<FieldEvidence>& fields,
                        const std::vector<EvidenceCompany>& companies) {
    std::vector<const FieldEvidence*> ordered;
    for (const FieldEvidence& field : fields) ordered.push_back(&field);
    std::stable_partition(ordered.begin(), ordered.end(),
                          [](const FieldEvidence* field) { return WithoutMatch(*field); });
    for (const FieldEvidence* field : ordered) PrintField(stream, *field, companies);
}
