#pragma once

#include <atomic>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <string>

#include "engine/company_record.h"
#include "engine/search_condition.h"

class HttpClient;
class KnownCompanies;
class RuleCounters;

// A directory engine: turns search conditions into a stream of companies.
// Calling order: SetCondition, StartSearch, then GetNextCompany until it returns none;
// StopSearch ends a search from any thread.
class SearchEngine {
public:
    virtual ~SearchEngine() = default;

    virtual void LoadRules() = 0;
    virtual void SetCondition(const SearchCondition& newCondition) = 0;
    virtual void StartSearch() = 0;
    // The next finished company, owned by the caller; none once the search is over.
    virtual std::unique_ptr<CompanyRecord> GetNextCompany() = 0;
    // One company link read with the calling thread's client; none when its pages can't be read.
    virtual std::unique_ptr<CompanyRecord> ParseCompany(HttpClient& client, const std::string& link) = 0;
    virtual void StopSearch() = 0;
    // The rule and field counters of the latest search (running or over); none before the first.
    // Cheap, and safe to read while the search runs.
    virtual std::shared_ptr<const RuleCounters> SearchCounters() const { return nullptr; }
    // The known companies the searches started from now on take instead of reading them; none
    // reads every company.
    virtual void SetKnownCompanies(std::shared_ptr<KnownCompanies>) {}
    // Loads the rules of another site (a profile) in place of the ones held, between searches;
    // false, the rules unchanged, when the file can't be read.
    virtual bool LoadRulesFrom(const std::string&) { return false; }

    SearchCondition condition;
    std::map<std::string, bool> seenUrls;
    std::list<std::string> urlQueue;
    std::string searchUrl;
    // Read by the search window after every record while the engine threads write them.
    std::atomic<uint32_t> totalPages{0};
    std::atomic<uint32_t> currentPage{0};
    std::atomic<uint32_t> totalCompanies{0};
    std::atomic<int32_t> status{0};  // 0, or -1 after a failed start or list-page fetch

    // The client's lastError of the last failed list-page fetch (guarded by the engine lock).
    std::string errorText;
};

// The kind of the directory engine, the one program-wide SearchEngine_Alibaba; any other kind
// gives none.
constexpr int kDirectoryEngine = 1;
SearchEngine* GetSearchEngine(int kind);
