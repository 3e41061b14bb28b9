#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>

#include "engine/engine_pacing.h"
#include "engine/extraction_rules.h"
#include "engine/page_source.h"
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
    // Loads the rules from the file at path in place of the ones held; false when it can't be read.
    bool LoadRulesFrom(const std::string& path);
    const ExtractionRules& Rules() const { return rules; }

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
    bool ParseListPage(HttpClient& client, const std::string& pageAddress, bool fetch,
                       RuleCounters& counters);

    void PageWalker(std::shared_ptr<SearchRun> run, std::unique_ptr<HttpClient> client);
    void CompanyWorker(std::shared_ptr<SearchRun> run, std::unique_ptr<HttpClient> client);
    std::unique_ptr<HttpClient> MakeClient(SearchRun& run) const;
    void PauseWhenDue(SearchRun& run);
    // The record of one link: taken from the known companies, read, or none.
    std::unique_ptr<CompanyRecord> CompanyOfLink(SearchRun& run, PageSource& source, const std::string& link);
    void FailStart(SearchRun& run, const std::string& reason);
    void EndRunning();
    void WakeWaits();

    const EnginePacing pacing;
    ExtractionRules rules;
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
