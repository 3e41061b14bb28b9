#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "engine/engine_pacing.h"
#include "engine/extraction_rules.h"
#include "engine/page_source.h"
#include "engine/result_pages.h"
#include "engine/search_engine.h"
#include "http/proxy_settings.h"

struct SearchRun;

// The directory engine: one page walker reads result pages 2, 3, ... while three company workers
// read the companies found; finished records wait in `results` for GetNextCompany.
class SearchEngine_Alibaba : public SearchEngine {
public:
    static constexpr int kCompanyWorkerCount = 3;
    // Requests after which every request of the search rests for pacing.pauseLength.
    static constexpr uint32_t kPauseRequestCount = 500;
    static constexpr uint32_t kRequestsPerCompany = 3;

    explicit SearchEngine_Alibaba(const EnginePacing& pacing = EnginePacing{});
    ~SearchEngine_Alibaba() override;

    void LoadRules() override;
    // Checks the file as it loads it; what the loader did not trace itself joins the trace. A
    // search that runs keeps the rules it started with; the next one reads the new ones.
    bool LoadRulesFrom(const std::string& path) override;
    // The rules the next search reads; valid until rules are loaded again.
    const ExtractionRules& Rules() const { return *CurrentRules(); }

    void SetCondition(const SearchCondition& newCondition) override;
    void StartSearch() override;
    std::unique_ptr<CompanyRecord> GetNextCompany() override;
    std::unique_ptr<CompanyRecord> ParseCompany(HttpClient& client, const std::string& link) override;
    void StopSearch() override;
    std::shared_ptr<const RuleCounters> SearchCounters() const override;
    void SetKnownCompanies(std::shared_ptr<KnownCompanies> known) override;

    // errorText under the engine lock.
    std::string LastErrorText();

    std::atomic<bool> running{false};
    std::atomic<uint32_t> requestCount{0};
    // Why the last StartSearch started no search (empty when it started one).
    std::string startFailure;

private:
    static constexpr int kListPageAttempts = 3;

    // Reads one result page (fetching it first when fetch is set, up to kListPageAttempts times)
    // and queues its new company links. False when the page could not be read. The caller holds
    // engineLock.
    bool ParseListPage(HttpClient& client, const std::string& pageAddress, bool fetch, SearchRun& run);
    // Up to kListPageAttempts requests; false when none gave the page.
    bool FetchListPage(HttpClient& client, const std::string& pageAddress);
    // Keeps the failure of a list page; the caller holds engineLock.
    void FailListPage(const HttpClient& client);

    void PageWalker(std::shared_ptr<SearchRun> run, std::unique_ptr<HttpClient> client);
    // Result pages 2 up to the stated total, by number.
    void WalkNumberedPages(SearchRun& run, HttpClient& client);
    // Result pages by their next-page links.
    void WalkNextPageLinks(SearchRun& run, HttpClient& client);
    // After a page read by its next-page link: its link to the next, and the progress figures,
    // which count the pages read and (without a stated count) the companies found. The caller
    // holds engineLock.
    void NoteLinkedPage(HttpClient& client, const std::string& asked, SearchRun& run);
    std::shared_ptr<const ExtractionRules> CurrentRules() const;
    void UseRules(ExtractionRules loaded);
    void CompanyWorker(std::shared_ptr<SearchRun> run, std::unique_ptr<HttpClient> client);
    std::unique_ptr<HttpClient> MakeClient(SearchRun& run) const;
    void PauseWhenDue(SearchRun& run);
    // The record of one link: taken from the known companies, read, or none.
    std::unique_ptr<CompanyRecord> CompanyOfLink(SearchRun& run, PageSource& source, const std::string& link);
    void FailStart(SearchRun& run, const std::string& reason);
    void EndRunning();
    void WakeWaits();

    const EnginePacing pacing;
    mutable std::mutex rulesLock;
    std::shared_ptr<const ExtractionRules> rules =
        std::make_shared<const ExtractionRules>();  // under rulesLock
    SearchCondition plainCondition;                 // the conditions as given, before SetCondition's encoding
    std::unique_ptr<ResultPages> resultPages;       // of the current search
    // The walk by next-page links: written by StartSearch before the walker starts, then by the
    // walker alone.
    NextPageTrail nextPageTrail;
    std::optional<std::string> nextPageLink;
    ProxySetting searchProxy;  // the proxy values of the current search, copied at its start
    std::shared_ptr<KnownCompanies> knownCompanies;  // handed to each search at its start

    std::mutex engineLock;  // urlQueue, seenUrls, busyWorkers, errorText and each list-page fetch
    std::condition_variable queueChanged;
    int busyWorkers = 0;  // workers reading a company

    std::mutex resultsLock;
    std::condition_variable resultsChanged;
    std::list<std::unique_ptr<CompanyRecord>> results;

    std::mutex lifecycleLock;  // starts and stops of searches, one at a time
    mutable std::mutex activeRunLock;
    std::shared_ptr<SearchRun> activeRun;
    std::shared_ptr<const RuleCounters> latestCounters;  // under activeRunLock
};
