#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/search_engine_alibaba.h"
#include "loopback_site.h"
#include "support/temp_dir.h"

// An engine with short waits over the sample directory on a loopback site.
class CrawlFixture : public ::testing::Test {
protected:
    static EnginePacing ShortPacing();

    void SetUp() override;
    void TearDown() override;

    // Address of result page `page` of a keyword search.
    static std::string ResultPage(const std::string& keyword, int page);
    void Search(SearchEngine_Alibaba& searchEngine, const std::string& keyword);
    // Every record until the search ends.
    static std::vector<std::unique_ptr<CompanyRecord>> TakeAll(SearchEngine& searchEngine);
    static std::vector<std::string> NamesOf(const std::vector<std::unique_ptr<CompanyRecord>>& records);

    TempDir directory;
    LoopbackSite site;
    std::unique_ptr<SearchEngine_Alibaba> engine;
    std::string rulesPath;
};
