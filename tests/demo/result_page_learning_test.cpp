// Result-page rules learned from the result pages harvio-cli captured of the demo directory's two
// layouts and the names of two companies on them find what the shipped profiles find.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <list>
#include <map>
#include <set>
#include <sstream>

#include "demo/captured_demo_pages.h"
#include "engine/captured_company.h"
#include "engine/company_family.h"
#include "engine/list_page.h"
#include "engine/rules_file.h"
#include "learn/result_page_learner.h"

namespace {

constexpr char kKeyword[] = "\xE6\x9C\x89\xE9\x99\x90\xE5\x85\xAC\xE5\x8F\xB8";  // 有限公司, UTF-8
const std::vector<std::string> kDirectory = {"--companies", "100"};

std::string SourcePath(const std::string& relative) {
    return std::string(HARVIO_SOURCE_DIR_FOR_TESTS) + "/" + relative;
}

// The lines of a profile whose keys are among those given: what a person keeps of a profile
// before the learner writes the rest.
std::string LinesOfKeys(const std::string& profile, const std::set<std::string>& keys) {
    std::istringstream lines(profile);
    std::string kept;
    for (std::string line; std::getline(lines, line);) {
        if (keys.count(line.substr(0, line.find(",,,")))) kept += line + "\n";
    }
    return kept;
}

struct Layout {
    const char* name;
    std::vector<std::string> demoOptions;
    std::string shippedProfile;
    std::set<std::string> keptKeys;  // of the shipped profile, in the base the learner starts from
};

TEST(ResultPageLearning, RulesLearnedFromTwoNamesFindWhatTheShippedProfilesFind) {
    const Layout layouts[] = {
        {"modern",
         {"--site", "modern"},
         SourcePath("config/sites/demo-modern.rules"),
         {"siteName", "searchUrlTemplate", "queryCharset"}},
        {"classic",
         {},
         SourcePath("config/reg.alibaba"),
         {"siteName", "searchBaseUrl", "companySitePrefix", "detailPrefix", "directoryPrefix",
          "compTotalPageReg", "compTotalCompanyReg"}},
    };
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.name);
        std::vector<std::string> options = kDirectory;
        options.insert(options.end(), layout.demoOptions.begin(), layout.demoOptions.end());
        const CapturedDemoPages captured =
            CaptureDemoResultPages(options, layout.shippedProfile, kKeyword, 2);
        ASSERT_FALSE(captured.folder.empty());
        const std::vector<CapturedResultPage> pages = ReadCapturedResultPages(captured.folder);
        ASSERT_GE(pages.size(), 2u);
        const std::vector<std::string>& names = captured.names;
        ASSERT_EQ(names.size(), 2u);

        const std::string baseText =
            LinesOfKeys(ReadWholeFile(layout.shippedProfile).value_or(std::string()), layout.keptKeys);
        ExtractionRules base;
        LoadRulesFromText(baseText, base);
        const ResultPageLearning learning = ResultPageLearner(pages, base).Learn(names);
        for (const FieldEvidence& rule : learning.rules) {
            EXPECT_TRUE(rule.learned) << rule.ruleKey << ": " << rule.notLearnedReason;
            EXPECT_EQ(rule.values.size(), pages.size()) << rule.ruleKey;
        }
        EXPECT_TRUE(learning.namesNotFound.empty());
        ExtractionRules learned, shipped;
        LoadRulesFromText(LearnedProfileText(baseText, learning.rules), learned);
        ASSERT_TRUE(LoadRulesFile(layout.shippedProfile, shipped));

        for (std::size_t page = 0; page < pages.size(); ++page) {
            SCOPED_TRACE("result page " + std::to_string(page + 1));
            std::map<std::string, bool> seenLearned, seenShipped;
            std::list<std::string> byLearned, byShipped;
            QueueCompanyLinks(learned, pages[page].body, pages[page].address, seenLearned, byLearned);
            QueueCompanyLinks(shipped, pages[page].body, pages[page].address, seenShipped, byShipped);
            EXPECT_EQ(std::set<std::string>(byLearned.begin(), byLearned.end()),
                      std::set<std::string>(byShipped.begin(), byShipped.end()));
            for (const std::string& link : byShipped)
                EXPECT_EQ(ChooseFamily(learned, link), ChooseFamily(shipped, link)) << link;
            const std::optional<std::string> next =
                page + 1 < pages.size() ? std::optional(pages[page + 1].address) : std::nullopt;
            EXPECT_EQ(NextResultPage(learned, pages[page].body, pages[page].address), next);
        }
    }
}

}  // namespace
