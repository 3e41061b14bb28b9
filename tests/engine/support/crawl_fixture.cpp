#include "crawl_fixture.h"

#include <algorithm>
#include <fstream>

#include "engine/search_query.h"
#include "sample_directory.h"

EnginePacing CrawlFixture::ShortPacing() {
    EnginePacing pacing;
    pacing.requestDelay = std::chrono::milliseconds(1);
    pacing.workerStartWait = std::chrono::milliseconds(5);
    pacing.drainPoll = std::chrono::milliseconds(20);
    pacing.resultPoll = std::chrono::milliseconds(20);
    return pacing;  // the pause keeps its full length unless a test shortens it
}

void CrawlFixture::SetUp() {
    site.Route(sample::kHosts);
    rulesPath = directory.File("reg.alibaba").string();
    std::ofstream(rulesPath, std::ios::binary) << sample::RulesText();
    engine = std::make_unique<SearchEngine_Alibaba>(ShortPacing());
    ASSERT_TRUE(engine->LoadRulesFrom(rulesPath));
}

void CrawlFixture::TearDown() {
    // The engine's threads end before the site that serves them.
    engine.reset();
}

std::string CrawlFixture::ResultPage(const std::string& keyword, int page) {
    SearchCondition condition;
    condition.keyword = UrlEncode(keyword);
    std::string address = sample::kSearchBase;
    BuildQuery(address, condition);
    return page == 1 ? address : ResultPageAddress(address, static_cast<uint32_t>(page));
}

void CrawlFixture::Search(SearchEngine_Alibaba& searchEngine, const std::string& keyword) {
    SearchCondition condition;
    condition.keyword = keyword;
    searchEngine.SetCondition(condition);
    searchEngine.StartSearch();
}

std::vector<std::unique_ptr<CompanyRecord>> CrawlFixture::TakeAll(SearchEngine& searchEngine) {
    std::vector<std::unique_ptr<CompanyRecord>> records;
    while (std::unique_ptr<CompanyRecord> record = searchEngine.GetNextCompany())
        records.push_back(std::move(record));
    return records;
}

std::vector<std::string> CrawlFixture::NamesOf(const std::vector<std::unique_ptr<CompanyRecord>>& records) {
    std::vector<std::string> names;
    for (const auto& record : records) names.push_back(record->compName);
    std::sort(names.begin(), names.end());
    return names;
}
