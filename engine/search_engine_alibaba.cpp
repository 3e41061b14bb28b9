#include "engine/search_engine_alibaba.h"

#include <cstring>
#include <string_view>

#include "engine/client_page_source.h"
#include "engine/company_extraction.h"
#include "engine/list_page.h"
#include "engine/rules_check.h"
#include "engine/rules_file.h"
#include "engine/search_query.h"
#include "engine/search_run.h"
#include "http/http_client.h"
#include "http/trace_output.h"
#include "platform/program_paths.h"

namespace {

std::string_view BodyOf(const HttpClient& client) {
    return std::string_view(client.htmlBuffer);
}

}  // namespace

SearchEngine_Alibaba::SearchEngine_Alibaba(const EnginePacing& pacing) : pacing(pacing) {}

SearchEngine_Alibaba::~SearchEngine_Alibaba() {
    StopSearch();
}

void SearchEngine_Alibaba::LoadRules() {
    LoadRulesFrom(RulesFilePath());
}

bool SearchEngine_Alibaba::LoadRulesFrom(const std::string& path) {
    // The file is checked as it loads, and what the loader did not report itself (unknown keys,
    // labels without a field, missing keys) joins the trace.
    ExtractionRules loaded;
    std::vector<RulesFinding> findings;
    if (!LoadCheckedRulesFile(path, loaded, findings)) return false;
    UseRules(std::move(loaded));
    for (const RulesFinding& finding : findings) {
        if (!TracedByLoader(finding)) TraceLine("rules file %s", DescribeFinding(finding).c_str());
    }
    return true;
}

void SearchEngine_Alibaba::UseRules(ExtractionRules loaded) {
    auto shared = std::make_shared<const ExtractionRules>(std::move(loaded));
    std::lock_guard<std::mutex> lock(rulesLock);
    rules = std::move(shared);
}

std::shared_ptr<const ExtractionRules> SearchEngine_Alibaba::CurrentRules() const {
    std::lock_guard<std::mutex> lock(rulesLock);
    return rules;
}

void SearchEngine_Alibaba::SetCondition(const SearchCondition& newCondition) {
    plainCondition = newCondition;
    condition = newCondition;
    condition.keyword = UrlEncode(condition.keyword);
    condition.province = UrlEncode(condition.province);
    condition.city = UrlEncode(condition.city);
}

std::unique_ptr<HttpClient> SearchEngine_Alibaba::MakeClient(SearchRun& run) const {
    auto client = std::make_unique<HttpClient>(searchProxy);
    HttpTimings timings;
    timings.requestDelay = pacing.requestDelay;
    client->SetTimings(timings);
    client->SetCanceller(run.canceller);
    client->SetCookieJar(run.cookies);
    client->SetConnectionPool(run.connections);
    client->SetLookupCache(run.lookups);
    // A request repeated after Retry-After waits at the gate too, so that it keeps the pause.
    client->SetRequestGate([&gate = run.gate] { return gate.Pass(); });
    return client;
}

void SearchEngine_Alibaba::StartSearch() {
    StopSearch();
    std::unique_lock<std::mutex> life(lifecycleLock);
    auto run = std::make_shared<SearchRun>();
    run->rules = CurrentRules();
    run->counters = std::make_shared<RuleCounters>(*run->rules);
    run->known = knownCompanies;
    {
        std::lock_guard<std::mutex> lock(activeRunLock);
        activeRun = run;
        latestCounters = run->counters;
    }
    searchProxy = CurrentProxySetting();
    requestCount = 0;
    status = 0;
    startFailure.clear();
    {
        std::lock_guard<std::mutex> lock(engineLock);
        seenUrls.clear();
        urlQueue.clear();
        busyWorkers = 0;
        errorText.clear();
        resultPages = std::make_unique<ResultPages>(*run->rules, plainCondition);
        searchUrl = resultPages->First();
        nextPageTrail = NextPageTrail();
        nextPageLink.reset();
    }
    {
        std::lock_guard<std::mutex> lock(resultsLock);
        results.clear();
    }
    totalPages = 0;
    currentPage = 0;
    totalCompanies = 0;
    running = true;

    if (!resultPages->Failure().empty()) return FailStart(*run, resultPages->Failure());

    // Page 1 is read without the lifecycle lock, so that a stop never waits for the read: the
    // stop takes this search as the active one and aborts the read.
    auto client = MakeClient(*run);
    life.unlock();
    std::unique_lock<std::mutex> lock(engineLock);
    if (!ParseListPage(*client, searchUrl, true, *run)) {
        const std::string reason = "result page 1 could not be read: " + errorText;
        lock.unlock();
        if (!run->Stopped()) FailStart(*run, reason);
        return;
    }
    const ListPageTotals totals = ReadListPageTotals(*run->rules, BodyOf(*client), run->counters.get());
    totalPages = totals.totalPages;
    currentPage = 1;
    totalCompanies = totals.totalCompanies;
    if (run->rules->nextPageReg) NoteLinkedPage(*client, searchUrl, *run);
    lock.unlock();

    life.lock();
    for (int worker = 0; worker < kCompanyWorkerCount; ++worker) {
        if (run->Stopped()) return;
        run->threads.emplace_back(&SearchEngine_Alibaba::CompanyWorker, this, run, MakeClient(*run));
        // A stop may come during the wait; it takes the lifecycle lock and joins what has started.
        life.unlock();
        run->Wait(pacing.workerStartWait);
        life.lock();
    }
    if (run->Stopped()) return;
    run->threads.emplace_back(&SearchEngine_Alibaba::PageWalker, this, run, MakeClient(*run));
}

void SearchEngine_Alibaba::FailStart(SearchRun& run, const std::string& reason) {
    status = -1;
    startFailure = reason;
    run.connections->Close();
    EndRunning();
}

void SearchEngine_Alibaba::EndRunning() {
    {
        std::lock_guard<std::mutex> lock(resultsLock);
        running = false;
    }
    WakeWaits();
}

void SearchEngine_Alibaba::WakeWaits() {
    // Taking each lock once orders the wake after the waiter's look at its condition.
    { std::lock_guard<std::mutex> lock(engineLock); }
    queueChanged.notify_all();
    { std::lock_guard<std::mutex> lock(resultsLock); }
    resultsChanged.notify_all();
}

void SearchEngine_Alibaba::StopSearch() {
    // Abort the running search before queueing for the lifecycle lock, which a start holds
    // while it reads page 1.
    std::shared_ptr<SearchRun> run;
    {
        std::lock_guard<std::mutex> lock(activeRunLock);
        run = activeRun;
    }
    if (run) run->Stop();

    std::lock_guard<std::mutex> life(lifecycleLock);
    {
        std::lock_guard<std::mutex> lock(activeRunLock);
        run = std::move(activeRun);
        activeRun.reset();
    }
    const bool wasRunning = running;
    if (run) {
        run->Stop();
        WakeWaits();
        for (std::thread& thread : run->threads) thread.join();
        run->threads.clear();
    }
    {
        std::lock_guard<std::mutex> lock(resultsLock);
        if (wasRunning) results.clear();
        running = false;
    }
    resultsChanged.notify_all();
}

std::shared_ptr<const RuleCounters> SearchEngine_Alibaba::SearchCounters() const {
    std::lock_guard<std::mutex> lock(activeRunLock);
    return latestCounters;
}

void SearchEngine_Alibaba::SetKnownCompanies(std::shared_ptr<KnownCompanies> known) {
    std::lock_guard<std::mutex> life(lifecycleLock);
    knownCompanies = std::move(known);
}

std::unique_ptr<CompanyRecord> SearchEngine_Alibaba::GetNextCompany() {
    std::unique_lock<std::mutex> lock(resultsLock);
    for (;;) {
        if (!results.empty()) {
            std::unique_ptr<CompanyRecord> record = std::move(results.front());
            results.pop_front();
            return record;
        }
        if (!running) return nullptr;
        resultsChanged.wait_for(lock, pacing.resultPoll);
    }
}

std::unique_ptr<CompanyRecord> SearchEngine_Alibaba::ParseCompany(HttpClient& client,
                                                                  const std::string& link) {
    ClientPageSource source(client);
    return ExtractCompany(*CurrentRules(), source, link);
}

bool SearchEngine_Alibaba::ParseListPage(HttpClient& client, const std::string& pageAddress, bool fetch,
                                         SearchRun& run) {
    if (fetch && !FetchListPage(client, pageAddress)) {
        FailListPage(client);
        return false;
    }
    QueueCompanyLinks(*run.rules, BodyOf(client), client.pageAddress, seenUrls, urlQueue, run.counters.get());
    return true;
}

bool SearchEngine_Alibaba::FetchListPage(HttpClient& client, const std::string& pageAddress) {
    int result = 0;
    for (int attempt = 0; attempt < kListPageAttempts && result <= 0; ++attempt) {
        result = client.GetHtml(pageAddress.c_str(), "");
    }
    return result > 0;
}

void SearchEngine_Alibaba::FailListPage(const HttpClient& client) {
    status = -1;
    errorText = client.lastError;
}

void SearchEngine_Alibaba::NoteLinkedPage(HttpClient& client, const std::string& asked, SearchRun& run) {
    nextPageTrail.NoteRead(asked, client.pageAddress);
    nextPageLink = NextResultPage(*run.rules, BodyOf(client), client.pageAddress, run.counters.get());
    // No total is known: the figures grow with the walk.
    totalPages = nextPageTrail.PagesRead();
    currentPage = nextPageTrail.PagesRead();
    if (!run.rules->compTotalCompanyReg) totalCompanies = static_cast<uint32_t>(seenUrls.size());
}

std::string SearchEngine_Alibaba::LastErrorText() {
    std::lock_guard<std::mutex> lock(engineLock);
    return errorText;
}

void SearchEngine_Alibaba::PauseWhenDue(SearchRun& run) {
    if (requestCount < kPauseRequestCount) return;
    run.gate.Close();
    run.Wait(pacing.pauseLength);
    requestCount = 0;
    run.gate.Open();
}

void SearchEngine_Alibaba::PageWalker(std::shared_ptr<SearchRun> run, std::unique_ptr<HttpClient> client) {
    if (run->rules->nextPageReg) {
        WalkNextPageLinks(*run, *client);
    } else {
        WalkNumberedPages(*run, *client);
    }
    if (run->Stopped()) return;

    // The search ends once no link waits and no worker still reads a company, so that the
    // records of companies in progress arrive before GetNextCompany reports the end.
    std::unique_lock<std::mutex> lock(engineLock);
    const auto drained = [&] { return run->Stopped() || (urlQueue.empty() && busyWorkers == 0); };
    while (!drained()) {
        if (!queueChanged.wait_for(lock, pacing.drainPoll, drained)) {
            lock.unlock();
            PauseWhenDue(*run);
            lock.lock();
        }
    }
    if (run->Stopped()) return;
    lock.unlock();
    // No request is under way any more: the idle connections have served the search.
    run->connections->Close();
    EndRunning();
}

void SearchEngine_Alibaba::WalkNumberedPages(SearchRun& run, HttpClient& client) {
    while (running && !run.Stopped()) {
        const uint32_t page = currentPage + 1;
        if (page > totalPages) {
            currentPage = totalPages.load();
            break;
        }
        currentPage = page;
        const std::string address = resultPages->Numbered(page);
        {
            std::lock_guard<std::mutex> lock(engineLock);
            ParseListPage(client, address, true, run);
        }
        queueChanged.notify_all();
        if (run.Stopped()) return;
        TraceLine("%u", ++requestCount);
        PauseWhenDue(run);
    }
}

void SearchEngine_Alibaba::WalkNextPageLinks(SearchRun& run, HttpClient& client) {
    while (running && !run.Stopped()) {
        const std::optional<std::string> address = nextPageTrail.Next(nextPageLink);
        if (!address) break;
        // The page is fetched without the engine lock, so that the workers take links meanwhile:
        // a site of 20 companies a page would otherwise hold them at every page.
        const bool read = FetchListPage(client, *address);
        {
            std::lock_guard<std::mutex> lock(engineLock);
            if (read) {
                ParseListPage(client, *address, false, run);
                NoteLinkedPage(client, *address, run);
            } else {
                FailListPage(client);
            }
        }
        queueChanged.notify_all();
        if (run.Stopped()) return;
        TraceLine("%u", ++requestCount);
        // A page that can't be read gives no link to the page after it: the walk ends there.
        if (!read) break;
        PauseWhenDue(run);
    }
}

void SearchEngine_Alibaba::CompanyWorker(std::shared_ptr<SearchRun> run, std::unique_ptr<HttpClient> client) {
    ClientPageSource source(*client, &run->gate);
    std::unique_lock<std::mutex> lock(engineLock);
    for (;;) {
        queueChanged.wait(lock, [&] { return run->Stopped() || !urlQueue.empty() || !running; });
        if (run->Stopped() || urlQueue.empty()) return;
        const std::string link = std::move(urlQueue.front());
        urlQueue.pop_front();
        ++busyWorkers;
        lock.unlock();

        std::unique_ptr<CompanyRecord> record = CompanyOfLink(*run, source, link);
        if (record) {
            {
                std::lock_guard<std::mutex> resultLock(resultsLock);
                if (!run->Stopped()) results.push_back(std::move(record));
            }
            resultsChanged.notify_all();
        }

        lock.lock();
        --busyWorkers;
        queueChanged.notify_all();
    }
}

// A company known lately costs no request: it neither counts toward the pause nor in the rule
// counters, which count pages read.
std::unique_ptr<CompanyRecord> SearchEngine_Alibaba::CompanyOfLink(SearchRun& run, PageSource& source,
                                                                   const std::string& link) {
    KnownCompany known = run.known ? run.known->Look(link) : KnownCompany{};
    if (known.kind == KnownCompany::Kind::kReuse) return std::move(known.record);
    if (known.kind == KnownCompany::Kind::kSkip) return nullptr;
    std::unique_ptr<CompanyRecord> record =
        ExtractCompany(*run.rules, source, link, nullptr, run.counters.get());
    requestCount += kRequestsPerCompany;
    return record;
}
