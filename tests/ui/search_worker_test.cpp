// The search worker on its own, against an engine that hands out prepared records: the order of
// its steps, the proxy switch, stop requests, and the window call gate that lets a closing window
// join a worker waiting for it.

#include "ui/search/search_worker.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QObject>
#include <QTest>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <list>
#include <mutex>
#include <thread>

#include "engine/search_engine.h"
#include "http/proxy_settings.h"
#include "ui/search/auto_reset_event.h"
#include "ui/search/window_call_gate.h"
#include "ui/support/ui_test_support.h"

using namespace std::chrono_literals;

namespace {

// Hands out the records it is given while running; GetNextCompany waits like the directory
// engine's, and a stop empties the queue.
class PreparedEngine : public SearchEngine {
public:
    void LoadRules() override {}
    void SetCondition(const SearchCondition& newCondition) override {
        std::lock_guard<std::mutex> lock(mutex);
        condition = newCondition;
        steps.push_back("SetCondition");
    }
    void StartSearch() override {
        std::lock_guard<std::mutex> lock(mutex);
        steps.push_back(useProxy ? "StartSearch through proxy" : "StartSearch");
        running = true;
    }
    std::unique_ptr<CompanyRecord> GetNextCompany() override {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return !records.empty() || !running; });
        if (records.empty()) return nullptr;
        auto record = std::move(records.front());
        records.pop_front();
        return record;
    }
    std::unique_ptr<CompanyRecord> ParseCompany(HttpClient&, const std::string&) override { return nullptr; }
    void StopSearch() override {
        std::lock_guard<std::mutex> lock(mutex);
        steps.push_back("StopSearch");
        running = false;
        records.clear();
        changed.notify_all();
    }

    void Deliver(const std::string& name) {
        auto record = std::make_unique<CompanyRecord>();
        record->compName = name;
        std::lock_guard<std::mutex> lock(mutex);
        records.push_back(std::move(record));
        changed.notify_all();
    }
    void Finish() {
        std::lock_guard<std::mutex> lock(mutex);
        running = false;
        changed.notify_all();
    }
    std::vector<std::string> Steps() {
        std::lock_guard<std::mutex> lock(mutex);
        return steps;
    }

private:
    std::mutex mutex;
    std::condition_variable changed;
    bool running = false;
    std::list<std::unique_ptr<CompanyRecord>> records;
    std::vector<std::string> steps;
};

class SearchWorkerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureTestApplication(); }

    void SetUp() override { useProxy = 1; }

    // A window stand-in that logs what the worker asks, checking that it is asked on its thread.
    SearchWindowCalls Calls() {
        auto onWindowThread = [this] {
            offWindowThread = offWindowThread || QThread::currentThread() != window.thread();
        };
        SearchWindowCalls calls;
        calls.readCondition = [=, this] {
            onWindowThread();
            log.push_back("read conditions");
            SearchCondition condition;
            condition.keyword = "bolt";
            return condition;
        };
        calls.proxyBoxTicked = [=, this] {
            onWindowThread();
            return proxyBoxTicked;
        };
        calls.addRow = [=, this](const CompanyRecord& record, int number, const RowBookFacts&) {
            onWindowThread();
            log.push_back("row " + std::to_string(number) + " " + record.compName);
            return static_cast<int>(rows++);
        };
        calls.tickRow = [=, this](int row) {
            onWindowThread();
            log.push_back("tick " + std::to_string(row));
        };
        calls.finish = [=, this] {
            onWindowThread();
            log.push_back("finish");
        };
        calls.storeFigures = [this](uint32_t, uint32_t, uint32_t) { figuresStored++; };
        calls.postSearching = [this] { searchingPosted++; };
        calls.postRowAdded = [this] {
            // The figures are kept before the code that shows them is posted.
            if (figuresStored.load() != rowsPosted.load() + 1) misorderedPost = true;
            rowsPosted++;
        };
        return calls;
    }

    bool Finished() const { return !log.empty() && log.back() == "finish"; }

    QObject window;
    std::shared_ptr<WindowCallGate> gate = std::make_shared<WindowCallGate>(&window);
    PreparedEngine engine;
    std::vector<std::string> log;  // window thread only
    int rows = 0;
    bool proxyBoxTicked = false;
    bool offWindowThread = false;
    std::atomic<int> figuresStored{0};
    std::atomic<int> rowsPosted{0};
    std::atomic<int> searchingPosted{0};
    std::atomic<bool> misorderedPost{false};
};

TEST(AutoResetEventTest, OneSetLetsExactlyOneWaitThrough) {
    AutoResetEvent event;
    EXPECT_FALSE(event.TryWait());
    event.Set();
    event.Set();  // a second Set before anyone waited adds nothing
    EXPECT_TRUE(event.TryWait());
    EXPECT_FALSE(event.TryWait());
    event.Set();
    event.Wait();  // returns at once and takes the signal
    EXPECT_FALSE(event.TryWait());

    std::atomic<bool> through{false};
    std::thread waiter([&] {
        event.Wait();
        through = true;
    });
    std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(through.load());
    event.Set();
    waiter.join();
    EXPECT_TRUE(through.load());
    EXPECT_FALSE(event.TryWait());
}

TEST_F(SearchWorkerTest, StepsRunInOrderAndRowsAreNumberedTickedAndCounted) {
    proxyBoxTicked = true;
    auto worker = std::make_unique<SearchWorker>(engine, gate, Calls(), nullptr);
    QTest::qWait(50);
    EXPECT_TRUE(log.empty());  // nothing is read before the start signal
    EXPECT_EQ(useProxy.load(), 0);
    EXPECT_EQ(searchingPosted.load(), 0);

    worker->StartSearchEvent.Set();
    engine.Deliver("Acme");
    engine.Deliver("Bolt");
    ASSERT_TRUE(WaitFor([&] { return rows == 2; }, 5000));
    engine.Finish();
    ASSERT_TRUE(WaitFor([&] { return Finished(); }, 5000));
    worker.reset();

    EXPECT_EQ(log, (std::vector<std::string>{"read conditions", "row 1 Acme", "tick 0", "row 2 Bolt",
                                             "tick 1", "finish"}));
    // The switch is on when the engine starts, after the conditions were handed over.
    EXPECT_EQ(engine.Steps(), (std::vector<std::string>{"SetCondition", "StartSearch through proxy"}));
    EXPECT_EQ(engine.condition.keyword, "bolt");
    EXPECT_EQ(searchingPosted.load(), 1);
    EXPECT_EQ(rowsPosted.load(), 2);
    EXPECT_FALSE(misorderedPost.load());
    EXPECT_FALSE(offWindowThread);
}

TEST_F(SearchWorkerTest, AnUntickedProxyBoxLeavesTheSwitchOff) {
    auto worker = std::make_unique<SearchWorker>(engine, gate, Calls(), nullptr);
    worker->StartSearchEvent.Set();
    ASSERT_TRUE(WaitFor([&] { return engine.Steps().size() == 2; }, 5000));
    EXPECT_EQ(engine.Steps().back(), "StartSearch");
    engine.Finish();
    ASSERT_TRUE(WaitFor([&] { return Finished(); }, 5000));
}

TEST_F(SearchWorkerTest, AStopRequestEndsTheSearchAfterTheRowInHandAndStopsTheEngine) {
    auto worker = std::make_unique<SearchWorker>(engine, gate, Calls(), nullptr);
    worker->StartSearchEvent.Set();
    engine.Deliver("Acme");
    ASSERT_TRUE(WaitFor([&] { return rows == 1; }, 5000));
    worker->StopSearchEvent.Set();
    engine.Deliver("Bolt");
    ASSERT_TRUE(WaitFor([&] { return Finished(); }, 5000));
    EXPECT_LE(rows, 2);
    EXPECT_EQ(engine.Steps().back(), "StopSearch");  // no thread crawls on for nobody
}

TEST_F(SearchWorkerTest, AStopBeforeTheStartEndsTheSearchBeforeTheEngineStarts) {
    auto worker = std::make_unique<SearchWorker>(engine, gate, Calls(), nullptr);
    worker->StopSearchEvent.Set();
    worker->StartSearchEvent.Set();
    ASSERT_TRUE(WaitFor([&] { return Finished(); }, 5000));
    EXPECT_EQ(engine.Steps(), (std::vector<std::string>{"SetCondition"}));
    EXPECT_EQ(rows, 0);
}

TEST_F(SearchWorkerTest, ANewWorkerTakesRecordsOnlyAfterTheOneBeforeHasEnded) {
    auto first = std::make_unique<SearchWorker>(engine, gate, Calls(), nullptr);
    first->StartSearchEvent.Set();
    ASSERT_TRUE(WaitFor([&] { return engine.Steps().size() == 2; }, 5000));
    auto second = std::make_unique<SearchWorker>(engine, gate, Calls(), std::move(first));
    second->StartSearchEvent.Set();
    QTest::qWait(50);
    EXPECT_EQ(engine.Steps().size(), 2u);  // the second waits while the first still takes records
    engine.StopSearch();
    ASSERT_TRUE(WaitFor([&] { return engine.Steps().size() == 5; }, 5000));
    EXPECT_EQ(engine.Steps(), (std::vector<std::string>{"SetCondition", "StartSearch", "StopSearch",
                                                        "SetCondition", "StartSearch"}));
    engine.Finish();
    ASSERT_TRUE(WaitFor([&] { return std::count(log.begin(), log.end(), "finish") == 2; }, 5000));
}

TEST_F(SearchWorkerTest, AClosedGateReleasesAWorkerWaitingForTheWindowSoItCanBeJoined) {
    auto worker = std::make_unique<SearchWorker>(engine, gate, Calls(), nullptr);
    worker->StartSearchEvent.Set();
    ASSERT_TRUE(WaitFor([&] { return engine.Steps().size() == 2; }, 5000));
    // The window thread now stays busy: the worker's row call waits for it.
    engine.Deliver("Acme");
    std::this_thread::sleep_for(50ms);
    gate->Close();
    worker.reset();  // joins without the window thread serving the call
    QTest::qWait(50);
    EXPECT_EQ(rows, 0);  // the call given up never runs later
    EXPECT_TRUE(std::find(log.begin(), log.end(), "finish") == log.end());
    EXPECT_EQ(engine.Steps().back(), "StopSearch");
}

TEST_F(SearchWorkerTest, GateCallsRunOnTheWindowThreadAndReturnTheirResults) {
    int value = 0;
    Qt::HANDLE callThread = nullptr;
    std::thread caller([&] {
        EXPECT_TRUE(gate->Call([&] {
            value = 42;
            callThread = QThread::currentThreadId();
        }));
    });
    ASSERT_TRUE(WaitFor([&] { return value == 42; }, 5000));
    caller.join();
    EXPECT_EQ(callThread, QThread::currentThreadId());
    gate->Close();
    std::thread late([&] { EXPECT_FALSE(gate->Call([&] { value = 7; })); });
    late.join();
    QTest::qWait(20);
    EXPECT_EQ(value, 42);
}

}  // namespace
