#include <gtest/gtest.h>

#include <sstream>
#include <thread>

#include "support/crawl_fixture.h"
#include "support/sample_directory.h"
#include "support/trace_capture.h"

namespace {

// StopSearch returns within this, wherever the engine's threads stand.
constexpr auto kStopLimit = std::chrono::milliseconds(250);
constexpr auto kWaitLimit = std::chrono::seconds(120);  // for the search to reach a state

std::chrono::milliseconds TimeToStop(SearchEngine& engine) {
    const auto start = std::chrono::steady_clock::now();
    engine.StopSearch();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
}

template <typename Condition>
bool WaitUntil(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + kWaitLimit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

std::vector<unsigned long> CountLines(const std::string& trace) {
    std::vector<unsigned long> counts;
    std::istringstream lines(trace);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.find_first_not_of("0123456789") == std::string::npos)
            counts.push_back(std::stoul(line));
    }
    return counts;
}

class StopSearchTest : public CrawlFixture {
protected:
    // Every result page of any search: `pages` pages, no company.
    void ServeEmptyResultPages(int pages) {
        site.SetPageFunction([pages](const std::string& url) -> std::optional<std::string> {
            if (url.rfind(sample::kSearchBase, 0) != 0) return std::nullopt;
            return sample::ListPage(pages, 0, {});
        });
    }
    void UsePacing(const EnginePacing& pacing) {
        engine = std::make_unique<SearchEngine_Alibaba>(pacing);
        ASSERT_TRUE(engine->LoadRulesFrom(rulesPath));
    }
};

}  // namespace

TEST_F(StopSearchTest, IdleEngineOnlyStaysStopped) {
    engine->StopSearch();
    EXPECT_FALSE(engine->running);
    EXPECT_EQ(engine->status, 0);
    EXPECT_EQ(engine->GetNextCompany(), nullptr);
}

TEST_F(StopSearchTest, StopsPromptlyWhileAllFourThreadsWaitForAnswers) {
    site.Hang("http://hang.test/");
    site.Hang(ResultPage("stuck", 2));
    site.AddPage(
        ResultPage("stuck", 1),
        sample::ListPage(2, 3, {"http://hang.test/a1/", "http://hang.test/a2/", "http://hang.test/a3/"}));
    Search(*engine, "stuck");
    ASSERT_TRUE(site.WaitForHanging(4, kWaitLimit));

    EXPECT_LT(TimeToStop(*engine), kStopLimit);
    EXPECT_FALSE(engine->running);
    EXPECT_EQ(engine->GetNextCompany(), nullptr);

    // Nothing of the stopped search holds the engine: the next search runs normally.
    sample::AddCompany(site, sample::MemberLink(1), 1);
    site.AddPage(ResultPage("after", 1), sample::ListPage(1, 1, {sample::MemberLink(1)}));
    Search(*engine, "after");
    const auto records = TakeAll(*engine);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0]->compName, sample::CompanyName(1));
}

TEST_F(StopSearchTest, StopDiscardsRecordsNotYetTaken) {
    sample::AddCompany(site, sample::MemberLink(1), 1);
    sample::AddCompany(site, sample::MemberLink(2), 2);
    site.Hang(ResultPage("held", 2));
    site.AddPage(ResultPage("held", 1),
                 sample::ListPage(2, 2, {sample::MemberLink(1), sample::MemberLink(2)}));
    Search(*engine, "held");
    ASSERT_TRUE(WaitUntil([&] {
        return site.RequestsFor("http://member.test/confirm/m1/m1.html") == 1 &&
               site.RequestsFor("http://member.test/confirm/m2/m2.html") == 1;
    }));
    EXPECT_LT(TimeToStop(*engine), kStopLimit);
    EXPECT_EQ(engine->GetNextCompany(), nullptr);
}

TEST_F(StopSearchTest, StopsPromptlyDuringTheStartWaits) {
    EnginePacing pacing = ShortPacing();
    pacing.workerStartWait = std::chrono::minutes(1);
    UsePacing(pacing);
    sample::AddCompany(site, sample::MemberLink(1), 1);
    site.AddPage(ResultPage("begin", 1), sample::ListPage(1, 1, {sample::MemberLink(1)}));
    std::thread starter([&] { Search(*engine, "begin"); });
    const bool pageOneRead = WaitUntil([&] { return site.RequestsFor(ResultPage("begin", 1)) == 1; });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto took = TimeToStop(*engine);
    starter.join();
    ASSERT_TRUE(pageOneRead);
    EXPECT_LT(took, kStopLimit);
    EXPECT_FALSE(engine->running);
    EXPECT_EQ(engine->GetNextCompany(), nullptr);
}

TEST_F(StopSearchTest, StopsPromptlyWhileResultPageOneGetsNoAnswer) {
    site.Hang(ResultPage("silent", 1));
    std::thread starter([&] { Search(*engine, "silent"); });
    const bool pageOneAsked = site.WaitForHanging(1, kWaitLimit);
    const auto took = TimeToStop(*engine);
    starter.join();
    ASSERT_TRUE(pageOneAsked);
    EXPECT_LT(took, kStopLimit);
    EXPECT_FALSE(engine->running);
    EXPECT_EQ(engine->GetNextCompany(), nullptr);
}

TEST_F(StopSearchTest, StopsPromptlyDuringThePause) {
    ServeEmptyResultPages(600);
    TraceCapture trace;
    Search(*engine, "many");
    ASSERT_TRUE(WaitUntil([&] {
        const std::vector<unsigned long> counts = CountLines(trace.Text());
        return !counts.empty() && counts.back() >= SearchEngine_Alibaba::kPauseRequestCount;
    }));
    const int requestsAtPause = site.TotalRequests();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(site.TotalRequests(), requestsAtPause);
    EXPECT_LT(TimeToStop(*engine), kStopLimit);
    EXPECT_FALSE(engine->running);
}

TEST_F(StopSearchTest, PauseRestsEveryRequestThenCountsFromZero) {
    EnginePacing pacing = ShortPacing();
    pacing.pauseLength = std::chrono::milliseconds(300);
    UsePacing(pacing);
    ServeEmptyResultPages(503);
    TraceCapture trace;
    Search(*engine, "rest");
    EXPECT_TRUE(TakeAll(*engine).empty());

    const auto times = site.RequestTimes();
    ASSERT_EQ(times.size(), 503u);  // page 1 and the walker's pages 2 to 503
    // The walker's 500th request is page 501 (index 500); the next waits out the pause.
    EXPECT_GE(times[501] - times[500], pacing.pauseLength);
    const std::vector<unsigned long> counts = CountLines(trace.Text());
    ASSERT_EQ(counts.size(), 502u);
    EXPECT_EQ(counts[499], 500u);
    EXPECT_EQ(counts[500], 1u);
    EXPECT_EQ(counts[501], 2u);
}
