#include "cli/learn_result_pages.h"

#include <algorithm>
#include <filesystem>
#include <iterator>

#include "cli/field_evidence_table.h"
#include "cli/gbk_text.h"
#include "learn/result_page_learner.h"

namespace {

constexpr char kNameLabel[] = "公司名称";  // UTF-8

}  // namespace

bool IsResultPageFolder(const std::string& folder) {
    std::error_code error;
    return std::filesystem::is_regular_file(std::filesystem::path(folder) / "result-page-1.html", error);
}

std::vector<std::string> CompanyNamesGiven(const std::vector<ExampleValues>& given) {
    const std::string label = Utf8ToGbk(kNameLabel);
    std::vector<std::string> names;
    for (const ExampleValues& example : given) {
        if (const auto name = example.values.find(label); name != example.values.end())
            names.push_back(name->second);
    }
    return names;
}

std::vector<FieldEvidence> LearnResultPageRules(const std::vector<std::string>& folders,
                                                const std::vector<std::string>& companyNames,
                                                const ExtractionRules& base, std::FILE* stream) {
    std::vector<CapturedResultPage> pages;
    std::vector<std::string> pageNames;
    for (const std::string& folder : folders) {
        std::vector<CapturedResultPage> read = ReadCapturedResultPages(folder);
        for (std::size_t page = 1; page <= read.size(); ++page) {
            pageNames.push_back(
                (std::filesystem::path(folder) / ("result-page-" + std::to_string(page) + ".html")).string());
        }
        std::move(read.begin(), read.end(), std::back_inserter(pages));
    }
    const ResultPageLearning learning = ResultPageLearner(std::move(pages), base).Learn(companyNames);
    for (const std::string& name : learning.namesNotFound)
        std::fprintf(stderr, "no result page links %s\n", GbkToUtf8(name).c_str());
    for (const std::string& name : learning.namesAmbiguous) {
        std::fprintf(stderr, "%s: links of differing kinds to differing pages show it; not used\n",
                     GbkToUtf8(name).c_str());
    }
    // The result pages stand where the table names companies; each rule reads all of them.
    std::vector<const FieldEvidence*> ordered;
    for (const FieldEvidence& rule : learning.rules) ordered.push_back(&rule);
    std::stable_partition(ordered.begin(), ordered.end(),
                          [](const FieldEvidence* rule) { return !rule->learned || rule->matched == 0; });
    for (const FieldEvidence* rule : ordered) {
        std::vector<EvidenceCompany> named;
        for (const std::string& name : pageNames) named.push_back({name, rule->ruleKey});
        PrintFieldEvidence(stream, {*rule}, named);
    }
    return learning.rules;
}
