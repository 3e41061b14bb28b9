#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "http/connect_to_map.h"
#include "support/crawl_fixture.h"
#include "support/sample_directory.h"
#include "support/trace_capture.h"

namespace {

using sample::CompanyLink;
using sample::GeneralLink;
using sample::MemberLink;

std::vector<std::string> Names(std::initializer_list<int> numbers) {
    std::vector<std::string> names;
    for (const int number : numbers) names.push_back(sample::CompanyName(number));
    std::sort(names.begin(), names.end());
    return names;
}

class CrawlTest : public CrawlFixture {
protected:
    void AddCompanies(std::initializer_list<std::pair<std::string, int>> companies) {
        for (const auto& [link, number] : companies) sample::AddCompany(site, link, number);
    }
};

}  // namespace

TEST(GetSearchEngine, KindOneIsTheOneDirectoryEngine) {
    SearchEngine* first = GetSearchEngine(1);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetSearchEngine(1), first);
    EXPECT_NE(dynamic_cast<SearchEngine_Alibaba*>(first), nullptr);
    EXPECT_EQ(GetSearchEngine(2), nullptr);
    EXPECT_EQ(GetSearchEngine(0), nullptr);
}

TEST_F(CrawlTest, EveryCompanyReadOnceAcrossPagesAndPatterns) {
    AddCompanies({{MemberLink(1), 1},
                  {MemberLink(2), 2},
                  {GeneralLink(3), 3},
                  {CompanyLink(4), 4},
                  {MemberLink(5), 5}});
    site.AddPage(ResultPage("lamp", 1),
                 sample::ListPage(3, 5, {MemberLink(1), MemberLink(2)}, {GeneralLink(3)}));
    site.AddPage(ResultPage("lamp", 2),
                 sample::ListPage(3, 5, {MemberLink(2)}, {MemberLink(1)}, {CompanyLink(4), GeneralLink(3)}));
    site.AddPage(ResultPage("lamp", 3), sample::ListPage(3, 5, {MemberLink(5), MemberLink(1)}));
    TraceCapture trace;

    Search(*engine, "lamp");
    EXPECT_TRUE(engine->startFailure.empty());
    EXPECT_EQ(engine->totalPages, 3u);
    EXPECT_EQ(engine->totalCompanies, 5u);
    const auto records = TakeAll(*engine);

    EXPECT_EQ(NamesOf(records), Names({1, 2, 3, 4, 5}));
    for (const std::string& link :
         {MemberLink(1), MemberLink(2), GeneralLink(3), CompanyLink(4), MemberLink(5)}) {
        EXPECT_EQ(site.RequestsFor(link), 1) << link;
    }
    for (const auto& record : records) {
        EXPECT_EQ(record->validate, record->url.rfind("http://m", 0) == 0 ? 1 : 0) << record->url;
    }
    EXPECT_EQ(engine->currentPage, 3u);
    EXPECT_EQ(engine->status, 0);
    EXPECT_FALSE(engine->running);
    EXPECT_EQ(engine->seenUrls.size(), 5u);
    // After each list page the walker writes the count of requests: its own one per page and
    // the workers' three per company.
    std::vector<unsigned long> counts;
    std::istringstream lines(trace.Text());
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.find_first_not_of("0123456789") == std::string::npos)
            counts.push_back(std::stoul(line));
    }
    ASSERT_EQ(counts.size(), 2u);
    EXPECT_LT(counts[0], counts[1]);
    EXPECT_LE(counts[1], 2u + 3u * 5u);
}

TEST_F(CrawlTest, OnePageSearchReadsNoFurtherListPage) {
    AddCompanies({{MemberLink(1), 1}, {CompanyLink(2), 2}});
    site.AddPage(ResultPage("one", 1), sample::ListPage(1, 2, {MemberLink(1)}, {}, {CompanyLink(2)}));
    Search(*engine, "one");
    EXPECT_EQ(NamesOf(TakeAll(*engine)), Names({1, 2}));
    EXPECT_EQ(site.RequestsFor(ResultPage("one", 2)), 0);
    EXPECT_EQ(engine->currentPage, 1u);
}

TEST_F(CrawlTest, UnreadableListPageIsTriedThreeTimesThenTheWalkGoesOn) {
    AddCompanies({{MemberLink(1), 1}, {MemberLink(3), 3}});
    site.AddPage(ResultPage("gap", 1), sample::ListPage(3, 2, {MemberLink(1)}));
    site.AddPage(ResultPage("gap", 3), sample::ListPage(3, 2, {MemberLink(3)}));
    Search(*engine, "gap");
    EXPECT_EQ(NamesOf(TakeAll(*engine)), Names({1, 3}));
    EXPECT_EQ(site.RequestsFor(ResultPage("gap", 2)), 3);
    EXPECT_EQ(engine->status, -1);
    EXPECT_NE(engine->LastErrorText().find("Not Found"), std::string::npos);
}

TEST_F(CrawlTest, CompanyWhosePagesFailYieldsNoRecord) {
    AddCompanies({{MemberLink(1), 1}, {GeneralLink(2), 2}, {MemberLink(3), 3}});
    site.AddPage(GeneralLink(2) + "intro.html", "");  // an empty body is no page
    site.AddPage(MemberLink(3) + "contact.html", "<p>no values here</p>");
    site.AddPage(ResultPage("bad", 1),
                 sample::ListPage(1, 3, {MemberLink(1), MemberLink(3)}, {GeneralLink(2)}));
    Search(*engine, "bad");
    const auto records = TakeAll(*engine);
    // Company 3's contact page has no values, but all its pages were read: a record with gaps.
    EXPECT_EQ(NamesOf(records), Names({1, 3}));
    for (const auto& record : records) {
        EXPECT_EQ(record->phone.empty(), record->compName == sample::CompanyName(3)) << record->compName;
    }
}

TEST_F(CrawlTest, SearchEndsOnlyAfterCompaniesInProgressArrive) {
    AddCompanies({{MemberLink(1), 1}, {MemberLink(2), 2}});
    site.Delay(MemberLink(2) + "intro.html", std::chrono::milliseconds(400));
    site.AddPage(ResultPage("slow", 1), sample::ListPage(1, 2, {MemberLink(1), MemberLink(2)}));
    Search(*engine, "slow");
    EXPECT_EQ(NamesOf(TakeAll(*engine)), Names({1, 2}));
}

TEST_F(CrawlTest, FailedStartEndsThePollAtOnce) {
    const auto started = std::chrono::steady_clock::now();
    engine->SetCondition(SearchCondition{});
    engine->StartSearch();
    EXPECT_EQ(engine->status, -1);
    EXPECT_FALSE(engine->startFailure.empty());
    EXPECT_FALSE(engine->running);
    EXPECT_EQ(engine->GetNextCompany(), nullptr);
    EXPECT_EQ(site.TotalRequests(), 0);

    Search(*engine, "nothing");  // page 1 answers 404
    EXPECT_EQ(engine->status, -1);
    EXPECT_NE(engine->startFailure.find("Not Found"), std::string::npos);
    EXPECT_EQ(engine->GetNextCompany(), nullptr);
    EXPECT_EQ(site.RequestsFor(ResultPage("nothing", 1)), 3);
    EXPECT_EQ(engine->totalPages, 0u);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
}

TEST_F(CrawlTest, SearchWithoutRulesDoesNotStart) {
    SearchEngine_Alibaba bare(ShortPacing());
    Search(bare, "lamp");
    EXPECT_EQ(bare.status, -1);
    EXPECT_FALSE(bare.startFailure.empty());
    EXPECT_EQ(bare.GetNextCompany(), nullptr);
    EXPECT_EQ(site.TotalRequests(), 0);
}

TEST_F(CrawlTest, NewSearchWhileOneRunsGetsNoRecordOfTheOld) {
    AddCompanies({{MemberLink(1), 1}, {MemberLink(2), 2}, {MemberLink(3), 3}, {MemberLink(4), 4}});
    // The old search's companies are slow, so that they are in progress when the new one starts.
    site.Delay(MemberLink(1), std::chrono::milliseconds(300));
    site.Delay(MemberLink(2), std::chrono::milliseconds(300));
    site.AddPage(ResultPage("old", 1), sample::ListPage(1, 3, {MemberLink(1), MemberLink(2), MemberLink(3)}));
    site.AddPage(ResultPage("new", 1), sample::ListPage(1, 2, {MemberLink(3), MemberLink(4)}));
    Search(*engine, "old");
    Search(*engine, "new");
    // Company 3 was seen by the old search; the new one starts with no seen links and reads it again.
    EXPECT_EQ(NamesOf(TakeAll(*engine)), Names({3, 4}));
}

TEST_F(CrawlTest, StartSearchEmptiesResultsOfAnEndedSearch) {
    AddCompanies({{MemberLink(1), 1}, {MemberLink(2), 2}});
    site.AddPage(ResultPage("first", 1), sample::ListPage(1, 1, {MemberLink(1)}));
    site.AddPage(ResultPage("second", 1), sample::ListPage(1, 1, {MemberLink(2)}));
    Search(*engine, "first");
    while (engine->running) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    Search(*engine, "second");  // the first search's record was never taken
    EXPECT_EQ(NamesOf(TakeAll(*engine)), Names({2}));
}

namespace {

// A site of another layout: a search address with a UTF-8 query, result pages that link the next
// one and state no totals, company links relative to the page.
class ProfileCrawlTest : public CrawlTest {
protected:
    void SetUp() override {
        CrawlTest::SetUp();
        // The sample's rules without its totals, and the site's own addresses. The rest after 500
        // requests is short, for the walk that reads a thousand pages.
        std::istringstream sampleRules(sample::RulesText());
        std::ofstream rules(rulesPath, std::ios::binary | std::ios::trunc);
        for (std::string line; std::getline(sampleRules, line);) {
            if (!line.starts_with("compTotal")) rules << line << "\n";
        }
        rules << "searchUrlTemplate,,,http://dir.test/search?q={keyword}&city={city}&page={page}\n"
              << "queryCharset,,,UTF-8\n"
              << "nextPageReg,,,<a rel=\"next\" href=\"([^\"]*)\">\n";
        rules.close();
        EnginePacing pacing = ShortPacing();
        pacing.pauseLength = std::chrono::milliseconds(10);
        engine = std::make_unique<SearchEngine_Alibaba>(pacing);
        ASSERT_TRUE(engine->LoadRulesFrom(rulesPath));
    }

    // Result page `page` of the keyword 灯 (UTF-8 E7 81 AF).
    static std::string LampPage(int page) {
        return "http://dir.test/search?q=%E7%81%AF&page=" + std::to_string(page);
    }
    static std::string NextLink(const std::string& link) {
        return "<a rel=\"next\" href=\"" + link + "\">下一页</a>";
    }
};

}  // namespace

TEST_F(ProfileCrawlTest, NextPageLinksAreFollowedUntilOneLeadsBackToAPageRead) {
    AddCompanies({{MemberLink(1), 1}, {"http://dir.test/d3/", 3}, {CompanyLink(4), 4}, {MemberLink(5), 5}});
    site.AddPage(LampPage(1),
                 sample::ListPage(1, 0, {"//m1.test/"}, {"/d3/"}) + NextLink("?q=%E7%81%AF&amp;page=2"));
    site.AddPage(LampPage(2), sample::ListPage(1, 0, {}, {"d3/"}, {CompanyLink(4)}) +
                                  NextLink("/search?q=%E7%81%AF&amp;page=3"));
    // Page 3 links back to page 1, written another way.
    site.AddPage(LampPage(3),
                 sample::ListPage(1, 0, {"http://m5.test/#x"}) + NextLink("search?q=%E7%81%AF&#38;page=1"));
    Search(*engine, "灯");
    EXPECT_TRUE(engine->startFailure.empty()) << engine->startFailure;
    EXPECT_EQ(engine->searchUrl, LampPage(1));
    EXPECT_EQ(NamesOf(TakeAll(*engine)), Names({1, 3, 4, 5}));
    for (int page = 1; page <= 3; ++page) EXPECT_EQ(site.RequestsFor(LampPage(page)), 1) << page;
    // No totals: the pages read, and the companies found so far.
    EXPECT_EQ(engine->totalPages, 3u);
    EXPECT_EQ(engine->currentPage, 3u);
    EXPECT_EQ(engine->totalCompanies, 4u);
    EXPECT_EQ(engine->status, 0);
}

TEST_F(ProfileCrawlTest, TheWalkEndsAtAPageThatCannotBeReadAndAtAThousandPages) {
    // Page 2 fails its three attempts: page 3, which only it links, is never asked for.
    site.AddPage(LampPage(1), sample::ListPage(1, 0, {}) + NextLink("?q=%E7%81%AF&amp;page=2"));
    site.AddPage(LampPage(3), sample::ListPage(1, 0, {}));
    Search(*engine, "灯");
    TakeAll(*engine);
    EXPECT_EQ(site.RequestsFor(LampPage(2)), 3);
    EXPECT_EQ(site.RequestsFor(LampPage(3)), 0);
    EXPECT_EQ(engine->status, -1);

    // Every page links a new one.
    site.SetPageFunction([](const std::string& url) -> std::optional<std::string> {
        const std::size_t at = url.find("/endless/");
        if (at == std::string::npos) return std::nullopt;
        const int page = std::atoi(url.c_str() + at + 9);
        return NextLink("/endless/" + std::to_string(page + 1));
    });
    site.AddPage("http://dir.test/search?q=x&page=1", NextLink("/endless/2"));
    Search(*engine, "x");
    TakeAll(*engine);
    EXPECT_EQ(engine->currentPage, NextPageTrail::kMostPages);
    EXPECT_EQ(site.RequestsFor("http://dir.test/endless/1000"), 1);
    EXPECT_EQ(site.RequestsFor("http://dir.test/endless/1001"), 0);
}

TEST_F(ProfileCrawlTest, RulesLoadedWhileASearchRunsServeTheNextSearch) {
    AddCompanies({{MemberLink(1), 1}});
    site.Delay(MemberLink(1), std::chrono::milliseconds(200));
    site.AddPage(LampPage(1), sample::ListPage(1, 0, {"//m1.test/"}));
    Search(*engine, "灯");
    // The search keeps the rules it started with: a file without any rule changes nothing for it.
    std::ofstream(directory.File("empty.rules").string()) << "# nothing\n";
    ASSERT_TRUE(engine->LoadRulesFrom(directory.File("empty.rules").string()));
    EXPECT_EQ(NamesOf(TakeAll(*engine)), Names({1}));
    Search(*engine, "灯");
    EXPECT_EQ(engine->status, -1);
    EXPECT_NE(engine->startFailure.find("no search address"), std::string::npos);
}

// The clients of a search share their connections: each host gets at most one connection per
// thread that reads it at once, whatever the site does with them, and no company is lost when
// the site closes them or closes them while they are idle.
TEST_F(CrawlTest, ASearchKeepsItsConnectionsWhateverTheSiteDoesWithThem) {
    using Habit = LoopbackSite::ConnectionHabit;
    for (const Habit habit : {Habit::kKeepAlive, Habit::kCloseEach, Habit::kCloseWhenIdle}) {
        SCOPED_TRACE(static_cast<int>(habit));
        LoopbackSite fresh;
        ClearConnectTo();
        fresh.Route(sample::kHosts);
        fresh.SetConnectionHabit(habit);
        std::vector<std::string> links;
        for (int number = 1; number <= 12; ++number) {
            links.push_back(number <= 4 ? MemberLink(number) : number <= 8 ? GeneralLink(number) : CompanyLink(number));
            sample::AddCompany(fresh, links.back(), number);
        }
        for (int page = 1; page <= 3; ++page) {
            const auto first = links.begin() + 4 * (page - 1);
            fresh.AddPage(ResultPage("keep", page),
                          sample::ListPage(3, 12, {first[0]}, {first[1], first[2]}, {first[3]}));
        }
        Search(*engine, "keep");
        EXPECT_EQ(TakeAll(*engine).size(), 12u);
        for (const std::string& link : links) EXPECT_EQ(fresh.RequestsFor(link), 1) << link;
        if (habit == Habit::kKeepAlive) {
            // The list host's one, one per company worker for each shared host (detail.test,
            // corp.test, member.test), and one for each member's own host.
            EXPECT_LE(fresh.ConnectionCount(), 1 + 3 * SearchEngine_Alibaba::kCompanyWorkerCount + 4);
        } else if (habit == Habit::kCloseEach) {
            EXPECT_EQ(fresh.ConnectionCount(), fresh.TotalRequests());
        }
    }
}
