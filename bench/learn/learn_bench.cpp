// Learning a profile on the demo directory's modern layout, as a user would: ten companies
// captured, the values of one or two of them (as their pages show them) given, the label rules
// learned into the shipped profile stripped of its own.
// BM_LearnedFieldsRight: the share of the window's fields (columns 2 to 20) the learned profile
// fills as the shipped one does, over every company of the directory (counter fieldsRight, in
// percent; argument: examples).
// BM_LearnTenCompanies: the time of learning from two examples over ten captured companies.
// The shipped profile comes from the source folder in HARVIO_SOURCE_DIR, else the working folder.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/company_extraction.h"
#include "engine/company_parser.h"
#include "engine/result_row.h"
#include "engine/rules_file.h"
#include "engine/saved_page_source.h"
#include "learn/profile_learner.h"
#include "tools/demo-directory/demo_catalogue.h"
#include "tools/demo-directory/demo_modern_pages.h"
#include "tools/demo-directory/gbk_text.h"

namespace {

constexpr int kDirectoryCompanies = 300;  // the demo directory's default
constexpr uint64_t kDirectorySeed = 1;
constexpr std::size_t kCapturedCompanies = 10;
constexpr double kPercent = 100.0;

std::string ShippedProfile() {
    const char* source = std::getenv("HARVIO_SOURCE_DIR");
    return ReadWholeFile(std::string(source != nullptr ? source : ".") + "/config/sites/demo-modern.rules")
        .value_or(std::string());
}

std::string WithoutLabelRules(const std::string& profile) {
    std::string base;
    std::size_t start = 0;
    while (start < profile.size()) {
        const std::size_t end = std::min(profile.find('\n', start), profile.size());
        const std::string line = profile.substr(start, end - start);
        if (!line.starts_with("general,,,") && !line.starts_with("validate,,,")) base += line + "\n";
        start = end + 1;
    }
    return base;
}

// Every company of the directory, its pages as a search reads them (GBK).
const std::vector<CapturedCompany>& Directory() {
    static const std::vector<CapturedCompany> companies = [] {
        std::vector<CapturedCompany> all;
        const DemoCatalogue catalogue(kDirectoryCompanies, kDirectorySeed);
        for (const DemoCompany& demo : catalogue.Companies()) {
            CapturedCompany company;
            company.link = demo_modern::HomeUrl(demo);
            company.family =
                demo.family == DemoFamily::Member ? CompanyFamily::memberSite : CompanyFamily::general;
            company.pages[0] =
                Utf8ToGbk(RenderModernCompanyPage(demo, demo_modern::PageKind::Home)).value_or("");
            if (demo_modern::HasContactPage(demo)) {
                company.pages[1] =
                    Utf8ToGbk(RenderModernCompanyPage(demo, demo_modern::PageKind::Contact)).value_or("");
            }
            all.push_back(std::move(company));
        }
        return all;
    }();
    return companies;
}

// The labels and values a profile reads on a company.
LabelMap Read(const ExtractionRules& rules, const CapturedCompany& company) {
    SavedPageSource source(company.pages);
    CompanyRecord record;
    LabelMap labels;
    if (company.family == CompanyFamily::memberSite) {
        ParseValidateSite(rules, source, company.link, record, labels);
    } else {
        ParseGeneralSite(rules, source, company.link, record, labels);
    }
    return labels;
}

// The examples: the captured general companies showing the most facts, with the values their
// pages show (what the shipped profile reads there).
std::vector<CompanyExample> Examples(const ExtractionRules& shipped,
                                     const std::vector<CapturedCompany>& captured, std::size_t count) {
    std::vector<CompanyExample> candidates;
    for (std::size_t company = 0; company < captured.size(); ++company) {
        if (captured[company].family != CompanyFamily::general) continue;
        CompanyExample example{company, {}};
        for (const auto& [label, value] : Read(shipped, captured[company])) {
            if (!value.empty()) example.values[label] = value;
        }
        candidates.push_back(std::move(example));
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const CompanyExample& first, const CompanyExample& second) {
                         return first.values.size() > second.values.size();
                     });
    candidates.resize(std::min(count, candidates.size()));
    return candidates;
}

// The window's row of a company as a profile reads it; all empty when it reads none.
ResultCells Row(const ExtractionRules& rules, const CapturedCompany& company) {
    SavedPageSource source(company.pages);
    const std::unique_ptr<CompanyRecord> record = ExtractCompany(rules, source, company.link, company.family);
    return record ? BuildResultCells(*record, 1) : ResultCells{};
}

void BM_LearnedFieldsRight(benchmark::State& state) {
    const std::string profile = ShippedProfile();
    ExtractionRules shipped;
    LoadRulesFromText(profile, shipped);
    if (shipped.generalRules.empty()) {
        state.SkipWithError("no shipped profile: run from the source folder or set HARVIO_SOURCE_DIR");
        return;
    }
    const std::vector<CapturedCompany>& directory = Directory();
    const std::vector<CapturedCompany> captured(directory.begin(), directory.begin() + kCapturedCompanies);
    const std::vector<CompanyExample> examples =
        Examples(shipped, captured, static_cast<std::size_t>(state.range(0)));
    std::size_t right = 0, compared = 0;
    for (auto _ : state) {
        const ProfileLearner learner(captured);
        ExtractionRules learned;
        LoadRulesFromText(LearnedProfileText(WithoutLabelRules(profile), learner.LearnFields(examples)),
                          learned);
        right = compared = 0;
        for (const CapturedCompany& company : directory) {
            const ResultCells expected = Row(shipped, company);
            const ResultCells got = Row(learned, company);
            // Without the row number.
            for (std::size_t column = 1; column < expected.size(); ++column)
                right += got[column] == expected[column];
            compared += expected.size() - 1;
        }
    }
    state.counters["fieldsRight"] = compared == 0 ? 0.0 : kPercent * static_cast<double>(right) / compared;
    state.counters["fieldsCompared"] = static_cast<double>(compared);
}

void BM_LearnTenCompanies(benchmark::State& state) {
    ExtractionRules shipped;
    LoadRulesFromText(ShippedProfile(), shipped);
    const std::vector<CapturedCompany> captured(Directory().begin(),
                                                Directory().begin() + kCapturedCompanies);
    const std::vector<CompanyExample> examples = Examples(shipped, captured, 2);
    if (examples.size() < 2) {
        state.SkipWithError("no shipped profile or too few general companies");
        return;
    }
    for (auto _ : state) {
        const ProfileLearner learner(captured);
        benchmark::DoNotOptimize(learner.LearnFields(examples));
    }
}

}  // namespace

BENCHMARK(BM_LearnedFieldsRight)
    ->ArgName("examples")
    ->Arg(1)
    ->Arg(2)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LearnTenCompanies)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
