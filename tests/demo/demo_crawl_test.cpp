// Whole searches against the demo directory: the engine in-process with short waits, and the
// command-line tool with the program's own waits. Every row must equal the row that the demo
// directory's data says the window must show.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>

#include "cli/exit_codes.h"
#include "demo/support/demo_directory_process.h"
#include "engine/result_row.h"
#include "engine/rule_counters.h"
#include "engine/search_engine_alibaba.h"
#include "http/connect_to_map.h"
#include "http/html_cleanup.h"
#include "http/http_client.h"
#include "http/tls_trust.h"
#include "http/trace_output.h"
#include "tools/demo-directory/demo_catalogue.h"
#include "tools/demo-directory/demo_modern_map.h"
#include "tools/demo-directory/demo_site_map.h"
#include "tools/demo-directory/gbk_text.h"

using namespace std::chrono_literals;

namespace {

constexpr int kCompanies = 150;

std::string RulesPath() {
    return std::string(HARVIO_SOURCE_DIR_FOR_TESTS) + "/config/reg.alibaba";
}

// The profile of the demo's modern layout (--site modern).
std::string ModernRulesPath() {
    return std::string(HARVIO_SOURCE_DIR_FOR_TESTS) + "/config/sites/demo-modern.rules";
}
const std::vector<std::string> kModernSite = {"--site", "modern"};

std::string Gbk(const std::string& utf8) {
    return Utf8ToGbk(utf8).value();
}

// The demo's --truth options of a query.
std::vector<std::string> QueryOptions(const DemoConditions& query) {
    std::vector<std::string> options;
    auto add = [&](const char* name, const std::string& value) {
        if (value.empty()) return;
        options.push_back(name);
        options.push_back(value);
    };
    add("--keyword", query.keyword);
    add("--province", query.province);
    add("--city", query.city);
    add("--industry", query.industry);
    add("--biztype", query.businessModel);
    return options;
}

std::vector<std::string> Joined(std::vector<std::string> first, const std::vector<std::string>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

// A CSV line without its first cell (the row number).
std::string WithoutRowNumber(const std::string& line) {
    return line.substr(line.find("\",") + 2);
}

struct CrawlResult {
    std::vector<std::string> lines;  // sorted, without row numbers
    std::multiset<std::string> links;
    std::vector<std::unique_ptr<CompanyRecord>> records;
    uint32_t totalPages = 0;
    uint32_t totalCompanies = 0;
    RuleHealthSnapshot health;
};

class DemoCrawl : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        quiet = std::fopen("/dev/null", "w");
        SetTraceStream(quiet);
    }
    static void TearDownTestSuite() {
        SetTraceStream(stdout);
        std::fclose(quiet);
    }
    void TearDown() override { ClearConnectTo(); }

    static CrawlResult Crawl(const DemoDirectoryProcess& site, const DemoConditions& query,
                             const std::string& rulesPath = RulesPath()) {
        CrawlResult result;
        ClearConnectTo();
        EXPECT_TRUE(AddConnectTo(site.ConnectToRule()));
        EnginePacing pacing;
        pacing.requestDelay = 1ms;
        pacing.workerStartWait = 5ms;
        pacing.drainPoll = 20ms;
        pacing.pauseLength = 50ms;
        pacing.resultPoll = 10ms;
        SearchEngine_Alibaba engine(pacing);
        EXPECT_TRUE(engine.LoadRulesFrom(rulesPath));
        SearchCondition condition;
        condition.keyword = Gbk(query.keyword);
        condition.province = Gbk(query.province);
        condition.city = Gbk(query.city);
        condition.industry = Gbk(query.industry);
        condition.bizType = Gbk(query.businessModel);
        engine.SetCondition(condition);
        engine.StartSearch();
        int row = 0;
        while (std::unique_ptr<CompanyRecord> record = engine.GetNextCompany()) {
            result.lines.push_back(WithoutRowNumber(CsvLine(BuildResultCells(*record, ++row))));
            result.links.insert(record->url);
            result.records.push_back(std::move(record));
        }
        std::sort(result.lines.begin(), result.lines.end());
        result.totalPages = engine.totalPages;
        result.totalCompanies = engine.totalCompanies;
        result.health = engine.SearchCounters()->Snapshot();
        return result;
    }

    static std::FILE* quiet;
};

std::FILE* DemoCrawl::quiet = nullptr;

void ExpectSameRows(const std::vector<std::string>& actual, const std::vector<std::string>& expected) {
    EXPECT_EQ(actual.size(), expected.size());
    std::vector<std::string> missing, unexpected;
    std::set_difference(expected.begin(), expected.end(), actual.begin(), actual.end(),
                        std::back_inserter(missing));
    std::set_difference(actual.begin(), actual.end(), expected.begin(), expected.end(),
                        std::back_inserter(unexpected));
    for (const std::string& line : missing)
        ADD_FAILURE() << "missing row: " << GbkToUtf8(line).value_or(line);
    for (const std::string& line : unexpected)
        ADD_FAILURE() << "wrong row: " << GbkToUtf8(line).value_or(line);
}

// The cells of a truth line (the export's form: every cell quoted, a doubled quote inside).
std::vector<std::string> TruthCellsOf(const std::string& line) {
    std::vector<std::string> cells;
    std::size_t at = 0;
    while (at < line.size() && line[at] == '"') {
        std::string cell;
        for (++at; at < line.size(); ++at) {
            if (line[at] == '"' && line.compare(at, 2, "\"\"") != 0) break;
            if (line[at] == '"') ++at;
            cell += line[at];
        }
        cells.push_back(cell);
        at += 2;  // the closing quote and the comma
    }
    return cells;
}

uint64_t Filled(const RuleHealthSnapshot& health, const char* field) {
    for (std::size_t index = 0; index < kCompanyFields.size(); ++index) {
        if (std::string(kCompanyFields[index].name) == field) return health.filledFields[index];
    }
    ADD_FAILURE() << "no field " << field;
    return 0;
}

uint64_t Matched(const RuleHealthSnapshot& health, const std::string& rule) {
    for (const RuleFigures& figures : health.rules) {
        if (figures.name == rule) return figures.matched;
    }
    ADD_FAILURE() << "no rule " << rule;
    return 0;
}

// The rule counters of a search against what the truth rows imply.
void ExpectCountersAgreeWithTruth(const RuleHealthSnapshot& health, const std::vector<std::string>& truth) {
    // Truth column (after the row number) -> the record field it shows.
    const std::vector<std::pair<std::size_t, const char*>> columns = {
        {1, "compName"},     {4, "phone"},         {5, "mobile"},         {6, "fax"},
        {7, "address"},      {8, "zipCode"},       {9, "webSite"},        {10, "compIntroduce"},
        {11, "mainProduct"}, {12, "mainIndustry"}, {13, "compType"},      {14, "businessMode"},
        {15, "foundTime"},   {16, "legalPerson"},  {17, "employeeCount"}, {18, "regCapital"}};
    std::map<std::size_t, uint64_t> filled;
    uint64_t members = 0, contacts = 0, introductions = 0, memberIntroductions = 0;
    for (const std::string& line : truth) {
        const std::vector<std::string> cells = TruthCellsOf(GbkToUtf8(line).value());
        ASSERT_EQ(cells.size(), 19u) << line;
        for (const auto& [column, field] : columns) filled[column] += cells[column].empty() ? 0 : 1;
        members += cells[0] == "★" ? 1 : 0;
        contacts += cells[2].empty() && cells[3].empty() ? 0 : 1;
        // The name comes from the introduction page: a row without one had no such page.
        introductions += cells[1].empty() ? 0 : 1;
        memberIntroductions += cells[0] == "★" && !cells[1].empty() ? 1 : 0;
    }
    EXPECT_EQ(health.records, truth.size());
    EXPECT_GE(health.companiesRead, health.records);
    for (const auto& [column, field] : columns) EXPECT_EQ(Filled(health, field), filled[column]) << field;
    EXPECT_EQ(Filled(health, "contact"), contacts);
    EXPECT_EQ(Filled(health, "url"), truth.size());
    // Every record with an introduction went through its family's introduction link, the others
    // were read without it; members also read their pages.
    EXPECT_EQ(Matched(health, "validateCompIntroduceReg") + Matched(health, "generalCompIntroduceReg") +
                  Matched(health, "CompIntroduceReg"),
              introductions);
    EXPECT_EQ(health.recordsWithoutIntroductionPage, truth.size() - introductions);
    EXPECT_EQ(health.recordsWithoutContactPage, 0u);
    EXPECT_EQ(Matched(health, "validateCompIntroduceReg"), memberIntroductions);
    EXPECT_EQ(Filled(health, "regTime"), members);
    EXPECT_EQ(Matched(health, Gbk("validate 注册时间 (time page)")), members);
    EXPECT_EQ(Matched(health, Gbk("company 公司名称")) + Matched(health, Gbk("general 公司名称")) +
                  Matched(health, Gbk("validate 公司名称")),
              introductions);
    EXPECT_GE(health.listPages, 3u);
    EXPECT_EQ(health.listPagesWithoutLinks, 0u);
    EXPECT_EQ(Matched(health, "compTotalCompanyReg"), 1u);
}

}  // namespace

TEST_F(DemoCrawl, KeywordSearchOverSeveralPagesFindsEveryCompanyOnceWithTheRightRow) {
    std::vector<std::string> directory = {"--companies", std::to_string(kCompanies)};
    const std::string requestLog = MakeTemporaryDirectory() + "/requests.log";
    DemoConditions query;
    query.keyword = "有限公司";
    std::vector<std::string> truth = DemoTruth(Joined(directory, QueryOptions(query)));
    ASSERT_GT(truth.size(), 80u);
    CrawlResult crawl;
    {
        DemoDirectoryProcess site(directory, requestLog);
        ASSERT_GT(site.port(), 0);
        crawl = Crawl(site, query);
    }
    EXPECT_GE(crawl.totalPages, 3u);
    for (const std::string& link : crawl.links) EXPECT_EQ(crawl.links.count(link), 1u) << link;
    ExpectSameRows(crawl.lines, truth);
    ExpectCountersAgreeWithTruth(crawl.health, truth);

    // The search's four threads share their connections: a host gets at most one per thread,
    // and one more each time the demo directory ends a connection after its hundredth request.
    constexpr std::size_t kDemoRequestsPerConnection = 100;
    std::map<std::string, std::set<int>> connectionsOf;
    std::map<std::string, std::size_t> requestsOf;
    const std::vector<LoggedRequest> requests = ReadRequestLog(requestLog);
    for (const LoggedRequest& request : requests) {
        connectionsOf[request.host].insert(request.connection);
        ++requestsOf[request.host];
    }
    std::filesystem::remove_all(std::filesystem::path(requestLog).parent_path());
    ASSERT_GT(requests.size(), 3 * truth.size()) << "every page request is logged";
    for (const auto& [host, connections] : connectionsOf) {
        EXPECT_LE(connections.size(), SearchEngine_Alibaba::kCompanyWorkerCount + 1u +
                                          requestsOf[host] / kDemoRequestsPerConnection)
            << host << ", " << requestsOf[host] << " requests";
    }
}

TEST_F(DemoCrawl, MemberSiteRecordsCarryTheFactsOfTheMemberTimeAndConfirmationPages) {
    std::vector<std::string> directory = {"--companies", std::to_string(kCompanies)};
    DemoDirectoryProcess site(directory);
    ASSERT_GT(site.port(), 0);
    DemoCatalogue catalogue(kCompanies, 1);
    DemoConditions query;
    query.keyword = "有限公司";
    CrawlResult crawl = Crawl(site, query);
    int members = 0;
    for (const auto& record : crawl.records) {
        if (record->validate != 1) {
            EXPECT_TRUE(record->memberId.empty()) << record->url;
            EXPECT_TRUE(record->regTime.empty()) << record->url;
            continue;
        }
        ++members;
        const DemoCompany* company = catalogue.FindByMemberId(record->memberId);
        ASSERT_NE(company, nullptr) << record->url;
        EXPECT_EQ(record->url, demo_site::HomeUrl(*company));
        EXPECT_EQ(record->timeInfoUrl, demo_site::TimeInfoUrl(*company));
        EXPECT_EQ(record->confirmInfoUrl, demo_site::ConfirmInfoUrl(*company));
        EXPECT_EQ(record->userInfo, Gbk(company->contactName));
        EXPECT_EQ(record->regTime, Gbk(company->regTime));
        EXPECT_EQ(record->lastLoginTime, Gbk(company->lastLoginTime));
        EXPECT_EQ(record->trustYears, Gbk(company->trustYears));
        EXPECT_NE(record->identityAuth.find(Gbk("已通过")), std::string::npos);
        // These come from the introduction page, which some companies do not link.
        const bool introduction = company->introduction != DemoIntroduction::NoLink;
        EXPECT_EQ(record->brand, introduction ? Gbk(company->brand) : "");
        EXPECT_EQ(record->annualTurnover, introduction ? Gbk(company->annualTurnover) : "");
    }
    EXPECT_GT(members, 20);
}

TEST_F(DemoCrawl, SearchWithAllFiveConditionsGivesExactlyTheMatchingRows) {
    std::vector<std::string> directory = {"--companies", std::to_string(kCompanies)};
    DemoDirectoryProcess site(directory);
    ASSERT_GT(site.port(), 0);
    DemoCatalogue catalogue(kCompanies, 1);
    DemoConditions query;
    for (const DemoCompany& company : catalogue.Companies()) {
        if (!company.city.empty() && company.introduction == DemoIntroduction::Written) {
            query = {company.products.front(), company.province, company.city, company.industry,
                     company.businessModel};
            break;
        }
    }
    std::vector<std::string> truth = DemoTruth(Joined(directory, QueryOptions(query)));
    ASSERT_FALSE(truth.empty());
    ExpectSameRows(Crawl(site, query).lines, truth);
}

TEST_F(DemoCrawl, FaultySiteLosesOnlyTheCompaniesWhosePagesFailAndTheSearchEnds) {
    std::vector<std::string> directory = {"--companies", std::to_string(kCompanies)};
    std::vector<std::string> faulted =
        Joined(directory, {"--faults", "0.4", "--fault-seed", "11", "--slow-ms", "20"});
    DemoDirectoryProcess site(faulted);
    ASSERT_GT(site.port(), 0);
    DemoConditions query;
    query.keyword = "有限公司";
    std::vector<std::string> clean = DemoTruth(Joined(directory, QueryOptions(query)));
    std::vector<std::string> truth = DemoTruth(Joined(faulted, QueryOptions(query)));
    ASSERT_LT(truth.size(), clean.size()) << "the faults must cost some companies";
    ASSERT_GT(truth.size(), 0u);

    CrawlResult crawl = Crawl(site, query);
    // Failed list pages were read again: every company of every page was reached.
    EXPECT_GE(crawl.totalPages, 3u);
    ExpectSameRows(crawl.lines, truth);
}

TEST_F(DemoCrawl, MisbehavingServersCostOnlyThePagesTheyCutAndTheSearchEnds) {
    std::vector<std::string> directory = {"--companies", "60"};
    // Every misbehaviour but the trickle, which would hold pages for the client's whole time limit.
    std::vector<std::string> misbehaving = Joined(
        directory, {"--fault-keep-open",    "0.1", "--fault-continue",    "0.1",  "--fault-bare-lf",   "0.1",
                    "--fault-lower-case",   "0.1", "--fault-zero-chunks", "0.1",  "--fault-cut-short", "0.1",
                    "--fault-esc-location", "0.1", "--fault-429",         "0.05", "--fault-503",       "0.05",
                    "--fault-seed",         "3"});
    DemoDirectoryProcess site(misbehaving);
    ASSERT_GT(site.port(), 0);
    DemoConditions query;
    query.keyword = "有限公司";
    std::vector<std::string> clean = DemoTruth(Joined(directory, QueryOptions(query)));
    std::vector<std::string> truth = DemoTruth(Joined(misbehaving, QueryOptions(query)));
    ASSERT_LT(truth.size(), clean.size()) << "bodies cut short must cost some companies";
    ASSERT_GT(truth.size(), 0u);
    ExpectSameRows(Crawl(site, query).lines, truth);
}

TEST_F(DemoCrawl, LargeSearchRestsAfterFiveHundredRequestsAndStillFindsEveryCompany) {
    // About 530 companies over 14 result pages: far more than 500 counted requests.
    std::vector<std::string> directory = {"--companies", "800"};
    DemoDirectoryProcess site(directory);
    ASSERT_GT(site.port(), 0);
    DemoConditions query;
    query.keyword = "有限公司";
    std::vector<std::string> truth = DemoTruth(Joined(directory, QueryOptions(query)));
    ASSERT_GT(truth.size() * SearchEngine_Alibaba::kRequestsPerCompany,
              SearchEngine_Alibaba::kPauseRequestCount);
    CrawlResult crawl = Crawl(site, query);
    for (const std::string& link : crawl.links) EXPECT_EQ(crawl.links.count(link), 1u) << link;
    ExpectSameRows(crawl.lines, truth);
}

TEST_F(DemoCrawl, SearchOverHttpsWithUtf8AndGzipGivesTheRowsOfPlainHttp) {
    std::vector<std::string> directory = {"--companies", std::to_string(kCompanies)};
    const std::string work = MakeTemporaryDirectory();
    const std::string caFile = work + "/ca.pem";
    DemoDirectoryProcess plain(directory);
    DemoDirectoryProcess secure(Joined(directory, {"--https", caFile, "--utf8", "--gzip"}));
    ASSERT_GT(secure.port(), 0);
    DemoConditions query;
    query.keyword = "有限公司";
    CrawlResult overHttp = Crawl(plain, query);
    SetExtraCaFile(caFile);
    CrawlResult overHttps = Crawl(secure, query, WriteHttpsRulesFile(RulesPath(), work));
    SetExtraCaFile("");
    ASSERT_GT(overHttp.lines.size(), 80u);
    EXPECT_EQ(overHttps.lines, overHttp.lines);
    EXPECT_EQ(overHttps.totalPages, overHttp.totalPages);
    EXPECT_EQ(overHttps.totalCompanies, overHttp.totalCompanies);
    // Member sites keep their member id and member pages behind https links.
    std::map<std::string, std::string> memberFacts;
    for (const auto& record : overHttp.records)
        if (record->validate == 1) memberFacts[record->memberId] = record->regTime + "|" + record->trustYears;
    int members = 0;
    for (const auto& record : overHttps.records) {
        EXPECT_EQ(record->url.rfind("https://", 0), 0u) << record->url;
        if (record->validate != 1) continue;
        ++members;
        EXPECT_EQ(memberFacts[record->memberId], record->regTime + "|" + record->trustYears) << record->url;
    }
    EXPECT_EQ(members, static_cast<int>(memberFacts.size()));
#ifdef HARVIO_CLI
    // The command-line tool trusts the demo's certificate only with --cacert.
    const std::string home = "https://s.demo-b2b.test/company/k-a_pageSize-40_p-1_n-y.html";
    const std::string out = work + "/page.html";
    EXPECT_EQ(RunProgram({HARVIO_CLI, "fetch", home, "-o", out, "--cacert", caFile, "--connect-to",
                          secure.ConnectToRule()}),
              0);
    EXPECT_NE(ReadWholeFile(out).find("<html>"), std::string::npos);
    EXPECT_EQ(RunProgram({HARVIO_CLI, "fetch", home, "--connect-to", secure.ConnectToRule()}),
              kExitFetchFailed);
    EXPECT_EQ(RunProgram({HARVIO_CLI, "fetch", home, "--cacert", work + "/missing.pem"}), kExitUsage);
#endif
    std::filesystem::remove_all(work);
}

TEST_F(DemoCrawl, SiteThatRequiresASessionCookieGivesTheTruthRowsButLoopsAClientWithoutCookies) {
    const std::vector<std::string> directory = {"--companies", std::to_string(kCompanies)};
    DemoDirectoryProcess site(Joined(directory, {"--require-cookie"}));
    ASSERT_GT(site.port(), 0);
    DemoConditions query;
    query.keyword = "有限公司";
    const std::vector<std::string> truth = DemoTruth(Joined(directory, QueryOptions(query)));
    ASSERT_GT(truth.size(), 80u);
    ExpectSameRows(Crawl(site, query).lines, truth);

    HttpClient withoutCookies{ProxySetting{}};
    withoutCookies.SetTimings({0ms});
    const std::string page = "http://s.demo-b2b.test/company/k-a_pageSize-40_p-1_n-y.html";
    EXPECT_EQ(withoutCookies.GetHtml(page.c_str(), ""), -1);
    EXPECT_EQ(withoutCookies.lastError, "too many redirects for:" + page);
}

// The modern layout: a query-string search with UTF-8 conditions, no totals but "下一页" links,
// relative and protocol-relative links with "&amp;" and "&#x2F;", one page of facts per company
// and a contact page for some, a session cookie, UTF-8 and gzip. Its profile gives the same rows.
TEST_F(DemoCrawl, ModernLayoutSearchGivesTheTruthRowsOfTheClassicOne) {
    const std::vector<std::string> directory = {"--companies", std::to_string(kCompanies)};
    DemoDirectoryProcess site(Joined(directory, kModernSite));
    ASSERT_GT(site.port(), 0);
    DemoConditions query;
    query.keyword = "有限公司";
    const std::vector<std::string> truth = DemoTruth(Joined(directory, QueryOptions(query)));
    EXPECT_EQ(DemoTruth(Joined(Joined(directory, kModernSite), QueryOptions(query))), truth);
    ASSERT_GT(truth.size(), 80u);

    CrawlResult crawl = Crawl(site, query, ModernRulesPath());
    for (const std::string& link : crawl.links) EXPECT_EQ(crawl.links.count(link), 1u) << link;
    ExpectSameRows(crawl.lines, truth);
    // No totals: the pages read (20 companies each) and the companies found.
    EXPECT_EQ(crawl.totalPages, (truth.size() + 19) / 20);
    EXPECT_EQ(crawl.totalCompanies, truth.size());
    DemoCatalogue catalogue(kCompanies, 1);
    uint64_t withContactPage = 0;
    for (const auto& record : crawl.records) {
        if (record->validate == 1) {
            const DemoCompany* company = catalogue.FindByMemberId(record->memberId);
            ASSERT_NE(company, nullptr) << record->url;
            EXPECT_EQ(record->url, demo_modern::HomeUrl(*company));
        }
        withContactPage += record->contactUrl.empty() ? 0 : 1;
    }
    EXPECT_GT(withContactPage, 20u);
    EXPECT_EQ(crawl.health.recordsWithoutContactPage, truth.size() - withContactPage);
    EXPECT_EQ(crawl.health.recordsWithoutIntroductionPage, truth.size());
    EXPECT_EQ(crawl.health.listPagesWithoutLinks, 0u);
    EXPECT_EQ(Matched(crawl.health, "nextPageReg"), crawl.totalPages - 1);
    // Each page's advertisement is a link a search cannot follow.
    for (const RuleFigures& rule : crawl.health.rules) {
        if (rule.name == "generalCompReg") {
            EXPECT_EQ(rule.skipped, crawl.totalPages);
        }
    }
}

TEST_F(DemoCrawl, ModernLayoutWithFaultsAndOverHttpsLosesOnlyWhatItsTruthLeavesOut) {
    const std::vector<std::string> directory = {"--companies", std::to_string(kCompanies)};
    const std::vector<std::string> faulted =
        Joined(Joined(directory, kModernSite), {"--faults", "0.3", "--fault-seed", "5", "--slow-ms", "20"});
    DemoConditions query;
    query.keyword = "有限公司";
    const std::vector<std::string> clean = DemoTruth(Joined(directory, QueryOptions(query)));
    const std::vector<std::string> truth = DemoTruth(Joined(faulted, QueryOptions(query)));
    ASSERT_LT(truth.size(), clean.size()) << "the faults must cost some companies";
    {
        DemoDirectoryProcess site(faulted);
        ASSERT_GT(site.port(), 0);
        ExpectSameRows(Crawl(site, query, ModernRulesPath()).lines, truth);
    }
    const std::string work = MakeTemporaryDirectory();
    const std::string caFile = work + "/ca.pem";
    DemoDirectoryProcess secure(Joined(Joined(directory, kModernSite), {"--https", caFile}));
    ASSERT_GT(secure.port(), 0);
    SetExtraCaFile(caFile);
    CrawlResult overHttps = Crawl(secure, query, WriteHttpsRulesFile(ModernRulesPath(), work));
    SetExtraCaFile("");
    ExpectSameRows(overHttps.lines, clean);
    for (const auto& record : overHttps.records)
        EXPECT_EQ(record->url.rfind("https://", 0), 0u) << record->url;
    std::filesystem::remove_all(work);
}

TEST_F(DemoCrawl, SearchWithoutResultsEndsWithNoRows) {
    DemoDirectoryProcess site({"--companies", "40"});
    ASSERT_GT(site.port(), 0);
    DemoConditions query;
    query.keyword = "不存在的产品";
    CrawlResult crawl = Crawl(site, query);
    EXPECT_TRUE(crawl.lines.empty());
    EXPECT_EQ(crawl.totalCompanies, 0u);
}

#ifdef HARVIO_CLI
namespace {

// The command-line tool with the program's own waits (500 ms before each request) on a small
// directory: the CSV it writes holds the header and exactly the truth rows, numbered from 1.
void ExpectCommandLineSearchWritesTheTruthRows(const std::vector<std::string>& directory,
                                               const std::vector<std::string>& siteOptions,
                                               const std::string& rulesPath = RulesPath()) {
    DemoDirectoryProcess site(Joined(directory, siteOptions));
    ASSERT_GT(site.port(), 0);
    DemoConditions query;
    query.keyword = "有限公司";
    std::vector<std::string> truth = DemoTruth(Joined(directory, QueryOptions(query)));
    ASSERT_FALSE(truth.empty());

    std::string outDirectory = MakeTemporaryDirectory();
    std::string out = outDirectory + "/companies.csv";
    ASSERT_EQ(RunProgram({HARVIO_CLI, "search", "--keyword", query.keyword, "--rules", rulesPath,
                          "--connect-to", site.ConnectToRule(), "--out", out}),
              0);
    std::string text = ReadWholeFile(out);
    std::filesystem::remove_all(outDirectory);
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find("\r\n", start);
        ASSERT_NE(end, std::string::npos) << "every line ends in CR LF";
        lines.push_back(text.substr(start, end + 2 - start));
        start = end + 2;
    }
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), CsvHeaderLine());
    std::vector<std::string> rows;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].rfind("\"" + std::to_string(i) + "\",", 0), 0u) << "row numbers count from 1";
        rows.push_back(WithoutRowNumber(lines[i]));
    }
    std::sort(rows.begin(), rows.end());
    ExpectSameRows(rows, truth);
}

}  // namespace

TEST_F(DemoCrawl, CommandLineSearchWritesTheTruthRowsToItsCsvFile) {
    ExpectCommandLineSearchWritesTheTruthRows({"--companies", "16"}, {});
}

// The pages one command fetches go over one connection, plain or over HTTPS.
TEST_F(DemoCrawl, CommandLineFetchOfSeveralPagesAsksForThemOverOneConnection) {
    const std::string work = MakeTemporaryDirectory();
    const std::string caFile = work + "/ca.pem";
    const std::string requestLog = work + "/requests.log";
    for (const bool secure : {false, true}) {
        SCOPED_TRACE(secure ? "https" : "http");
        std::vector<std::string> fetch = {HARVIO_CLI, "fetch"};
        if (secure) fetch.insert(fetch.end(), {"--cacert", caFile});
        for (const char* keyword : {"a", "b", "c"}) {
            fetch.push_back(std::string(secure ? "https" : "http") + "://s.demo-b2b.test/company/k-" +
                            keyword + "_pageSize-40_p-1_n-y.html");
        }
        {
            const std::vector<std::string> directory = {"--companies", "8"};
            DemoDirectoryProcess site(secure ? Joined(directory, {"--https", caFile}) : directory,
                                      requestLog);
            ASSERT_GT(site.port(), 0);
            EXPECT_EQ(RunProgram(Joined(fetch, {"--connect-to", site.ConnectToRule()}), "/dev/null"), 0);
        }
        const std::vector<LoggedRequest> requests = ReadRequestLog(requestLog);
        ASSERT_EQ(requests.size(), 3u);
        for (const LoggedRequest& request : requests) EXPECT_EQ(request.connection, 1) << request.target;
    }
    std::filesystem::remove_all(work);
}

// One client and one cookie jar for the whole search: a site that redirects every request
// without its session cookie gives the same rows.
TEST_F(DemoCrawl, CommandLineSearchOfASiteThatRequiresASessionCookieWritesTheTruthRows) {
    ExpectCommandLineSearchWritesTheTruthRows({"--companies", "8"}, {"--require-cookie"});
}

// Over two result pages of the modern layout (20 companies each).
TEST_F(DemoCrawl, CommandLineSearchOfTheModernLayoutWritesTheTruthRows) {
    ExpectCommandLineSearchWritesTheTruthRows({"--companies", "32"}, kModernSite, ModernRulesPath());
}
#endif

// Texts the directory's pages really carry, and what the window would show of them. Both fail
// with the byte-wise rules as they stand: the row loses or garbles the contact facts.
TEST(DirectoryTextInRows, FullWidthSpaceAfterACharacterWhoseLastByteIsA1KeepsTheAddressWhole) {
    // "省" is CA A1 in GBK: a byte-wise search for the full-width space (A1 A1) meets its trail
    // byte first and splits both characters.
    std::string address = Gbk("广东省　深圳市福田区深南大道1号");
    std::vector<char> text(address.begin(), address.end());
    text.push_back('\0');
    SqueezeText(text.data());
    EXPECT_EQ(GbkToUtf8(text.data()).value_or("(not GBK any more)"), "广东省 深圳市福田区深南大道1号");
}

TEST(DirectoryTextInRows, LocalTelephoneNumberHoldingEightySixIsNotCut) {
    // Shenzhen numbers often begin with 86; only a leading country code is one.
    EXPECT_EQ(StripCountryCode("0755-86123456"), "0755-86123456");
    EXPECT_EQ(StripCountryCode("86-755-26123456"), "-755-26123456");
}

#ifdef HARVIO_CLI
namespace {

std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
        end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

std::string UrlOf(const std::string& jsonLine) {
    const std::string key = "\"url\":\"";
    const std::size_t start = jsonLine.find(key) + key.size();
    return jsonLine.substr(start, jsonLine.find('"', start) - start);
}

}  // namespace

// With the program's own waits on a small directory: the unchanged site gives --stats exit 0,
// and its companies captured one by one give, through rules --dir, the search's records byte for
// byte; the site after a change of its pages gives --stats exit 5.
TEST_F(DemoCrawl, CommandLineStatsCaptureAndRulesDirReproduceTheSearchAndNoticeAChangedSite) {
    const std::vector<std::string> directory = {"--companies", "8"};
    const std::vector<std::string> search = {HARVIO_CLI,  "search",  "--keyword", "有限公司", "--rules",
                                             RulesPath(), "--stats", "--format",  "jsonl"};
    const std::string work = MakeTemporaryDirectory();
    {
        DemoDirectoryProcess site(directory);
        ASSERT_GT(site.port(), 0);
        const std::vector<std::string> routed = {"--connect-to", site.ConnectToRule()};
        ASSERT_EQ(RunProgram(Joined(search, routed), work + "/search.jsonl"), 0);
        std::vector<std::string> records = LinesOf(ReadWholeFile(work + "/search.jsonl"));
        ASSERT_GE(records.size(), 3u);
        for (std::size_t company = 0; company < records.size(); ++company) {
            const std::string folder = work + "/captured/" + std::to_string(company);
            ASSERT_EQ(RunProgram(Joined({HARVIO_CLI, "capture", UrlOf(records[company]), "--out", folder,
                                         "--rules", RulesPath()},
                                        routed),
                                 "/dev/null"),
                      0)
                << records[company];
        }
        ASSERT_EQ(RunProgram({HARVIO_CLI, "rules", "--rules", RulesPath(), "--dir", work + "/captured",
                              "--format", "jsonl"},
                             work + "/rules.jsonl"),
                  0);
        std::vector<std::string> reproduced = LinesOf(ReadWholeFile(work + "/rules.jsonl"));
        std::sort(records.begin(), records.end());
        std::sort(reproduced.begin(), reproduced.end());
        EXPECT_EQ(reproduced, records);
    }
    for (const char* layout : {"renamed-label", "moved-contact-link"}) {
        DemoDirectoryProcess changed(Joined(directory, {"--layout", layout}));
        ASSERT_GT(changed.port(), 0);
        EXPECT_EQ(RunProgram(Joined(search, {"--connect-to", changed.ConnectToRule()}), "/dev/null"), 5)
            << layout;
    }
    std::filesystem::remove_all(work);
}
#endif
