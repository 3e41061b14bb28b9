#include "ui/search/search_worker.h"

#include <chrono>

#include "engine/search_engine.h"
#include "http/proxy_settings.h"

namespace {

// Between two rows, so that a fast engine does not flood the window.
constexpr auto kRowPause = std::chrono::milliseconds(10);

}  // namespace

SearchWorker::SearchWorker(SearchEngine& engine, std::shared_ptr<WindowCallGate> gate,
                           SearchWindowCalls calls, std::unique_ptr<SearchWorker> previous)
    : engine(engine),
      gate(std::move(gate)),
      calls(std::move(calls)),
      previous(std::move(previous)),
      thread(&SearchWorker::SearchWorkerProc, this) {}

SearchWorker::~SearchWorker() {
    thread.join();
}

void SearchWorker::SearchWorkerProc() {
    previous.reset();
    useProxy = 0;
    StartSearchEvent.Wait();
    calls.postSearching();

    SearchCondition condition;
    bool proxyTicked = false;
    if (!gate->Call([&] { condition = calls.readCondition(); })) return;
    engine.SetCondition(condition);
    engine.SetKnownCompanies(calls.beginSearch ? calls.beginSearch(condition) : nullptr);
    if (!gate->Call([&] { proxyTicked = calls.proxyBoxTicked(); })) return;
    if (proxyTicked) useProxy = 1;

    // A stop that came while this search waited for the one before ends it before it begins.
    if (!StopSearchEvent.TryWait() && !gate->Closed()) {
        engine.StartSearch();
        // A stop or a close that came while the search started may have found no search to end.
        if (gate->Closed() || StopSearchEvent.TryWait()) {
            engine.StopSearch();
        } else {
            TakeRecords();
        }
    }
    gate->Call(calls.finish);
}

void SearchWorker::TakeRecords() {
    for (int rowNumber = 1;; ++rowNumber) {
        std::unique_ptr<CompanyRecord> record = engine.GetNextCompany();
        if (!record) return;
        const RowBookFacts facts = calls.keepRecord ? calls.keepRecord(*record, rowNumber) : RowBookFacts{};
        int row = -1;
        const bool shown = gate->Call([&] { row = calls.addRow(*record, rowNumber, facts); });
        if (shown) {
            calls.storeFigures(engine.totalPages, engine.currentPage, engine.totalCompanies);
            calls.postRowAdded();
        }
        record.reset();
        if (!shown || !gate->Call([&] { calls.tickRow(row); }) || StopSearchEvent.TryWait()) {
            // Nobody takes the engine's records any more: its threads end now rather than crawl on.
            engine.StopSearch();
            return;
        }
        std::this_thread::sleep_for(kRowPause);
    }
}
