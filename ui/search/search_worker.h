#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

#include "book/window_book.h"
#include "engine/company_record.h"
#include "engine/known_companies.h"
#include "engine/search_condition.h"
#include "ui/search/auto_reset_event.h"
#include "ui/search/window_call_gate.h"

class SearchEngine;

// What the search worker asks of the window. All but storeFigures and the two posts run on the
// window's thread through the window call gate.
struct SearchWindowCalls {
    std::function<SearchCondition()> readCondition;
    std::function<bool()> proxyBoxTicked;
    // From the worker thread, optional: the lead book's part in the search. beginSearch notes the
    // search and gives the known companies the engine takes; keepRecord keeps a record and its
    // row in the book before the row shows.
    std::function<std::shared_ptr<KnownCompanies>(const SearchCondition&)> beginSearch;
    std::function<RowBookFacts(const CompanyRecord&, int rowNumber)> keepRecord;
    // Adds the record's row with its number; returns the row's position.
    std::function<int(const CompanyRecord&, int rowNumber, const RowBookFacts&)> addRow;
    std::function<void(int row)> tickRow;
    // The completion text and the Start button.
    std::function<void()> finish;
    // From the worker thread: keeps the engine's figures for the progress handler.
    std::function<void(uint32_t totalPages, uint32_t currentPage, uint32_t totalCompanies)> storeFigures;
    // From the worker thread: post the progress codes to the window.
    std::function<void()> postSearching;
    std::function<void()> postRowAdded;
};

// One search on a thread of its own: hands the window's conditions to the engine, shows every
// finished company as a ticked row, and ends with the completion text. The thread starts with
// the object and is joined when it goes.
class SearchWorker {
public:
    // previous: the worker of the search before, still ending; this worker joins it before it
    // touches the engine, so that only one worker takes records at a time.
    SearchWorker(SearchEngine& engine, std::shared_ptr<WindowCallGate> gate, SearchWindowCalls calls,
                 std::unique_ptr<SearchWorker> previous);
    ~SearchWorker();
    SearchWorker(const SearchWorker&) = delete;
    SearchWorker& operator=(const SearchWorker&) = delete;

    // Set once the worker exists: the worker waits for it before it reads any condition.
    AutoResetEvent StartSearchEvent;
    // A stop request for this search only; a later search has events of its own.
    AutoResetEvent StopSearchEvent;

private:
    void SearchWorkerProc();
    // Takes the engine's records until it has none or a stop request comes.
    void TakeRecords();

    SearchEngine& engine;
    std::shared_ptr<WindowCallGate> gate;
    SearchWindowCalls calls;
    std::unique_ptr<SearchWorker> previous;
    std::thread thread;  // last, so that it starts with everything above in place
};
