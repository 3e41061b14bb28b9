#include "cli/rule_health_table.h"

#include <algorithm>
#include <string>

#include "cli/gbk_text.h"
#include "engine/site_change_check.h"

namespace {

constexpr double kPercent = 100.0;

double Rate(uint64_t part, uint64_t whole) {
    return whole == 0 ? 0.0 : kPercent * static_cast<double>(part) / static_cast<double>(whole);
}

void PrintRule(std::FILE* out, const RuleFigures& rule) {
    std::fprintf(out, "  %-48s %8llu %8llu %6.1f%%", GbkToUtf8(rule.name).c_str(),
                 static_cast<unsigned long long>(rule.tried), static_cast<unsigned long long>(rule.matched),
                 Rate(rule.matched, rule.tried));
    if (rule.skipped > 0) {
        std::fprintf(out, "  (%llu link%s skipped: not http or https, or no link)",
                     static_cast<unsigned long long>(rule.skipped), rule.skipped == 1 ? "" : "s");
    }
    std::fputc('\n', out);
}

}  // namespace

bool PrintRuleHealth(std::FILE* out, const RuleHealthSnapshot& health) {
    std::fprintf(
        out, "rule health: %llu companies read, %llu records, %llu result pages (%llu without a link)\n",
        static_cast<unsigned long long>(health.companiesRead),
        static_cast<unsigned long long>(health.records), static_cast<unsigned long long>(health.listPages),
        static_cast<unsigned long long>(health.listPagesWithoutLinks));
    std::fprintf(out, "records read without a contact page: %llu, without an introduction page: %llu\n",
                 static_cast<unsigned long long>(health.recordsWithoutContactPage),
                 static_cast<unsigned long long>(health.recordsWithoutIntroductionPage));
    std::fprintf(out, "  %-48s %8s %8s %7s\n", "rule", "tried", "matched", "rate");
    // Never matched first: those are the rules a changed page broke.
    std::vector<RuleFigures> rules = health.rules;
    std::stable_partition(rules.begin(), rules.end(),
                          [](const RuleFigures& rule) { return rule.tried > 0 && rule.matched == 0; });
    for (const RuleFigures& rule : rules) PrintRule(out, rule);

    std::fprintf(out, "  %-48s %8s %8s %7s\n", "field", "read", "filled", "rate");
    for (std::size_t field = 0; field < kCompanyFields.size(); ++field) {
        std::fprintf(out, "  %-48s %8llu %8llu %6.1f%%\n", kCompanyFields[field].name,
                     static_cast<unsigned long long>(health.companiesRead),
                     static_cast<unsigned long long>(health.filledFields[field]),
                     Rate(health.filledFields[field], health.companiesRead));
    }
    const std::string warning = SiteChangeWarning(health, true);
    if (!warning.empty()) std::fprintf(out, "warning: %s\n", GbkToUtf8(warning).c_str());
    return !warning.empty();
}
