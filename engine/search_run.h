#pragma once

#include <memory>
#include <thread>
#include <vector>

#include "engine/extraction_rules.h"
#include "engine/known_companies.h"
#include "engine/pause_gate.h"
#include "engine/rule_counters.h"
#include "http/connection_pool.h"
#include "http/cookie_jar.h"
#include "http/host_lookup_cache.h"
#include "http/request_canceller.h"

// The threads and the stop of one search. Stop aborts every request and wait of this search at
// once; the owner then joins the threads.
struct SearchRun {
    // The rules the search started with: loading another site's rules never changes them.
    std::shared_ptr<const ExtractionRules> rules;
    std::shared_ptr<RequestCanceller> canceller = std::make_shared<RequestCanceller>();
    PauseGate gate;
    std::shared_ptr<RuleCounters> counters;  // this search's rule health, kept after it ends
    // The cookies every client of this search sends and keeps; they end with the search.
    std::shared_ptr<CookieJar> cookies = std::make_shared<CookieJar>();
    // The idle connections and the host lookups every client of this search shares; the idle
    // connections close when the search ends or stops.
    std::shared_ptr<ConnectionPool> connections = std::make_shared<ConnectionPool>();
    std::shared_ptr<HostLookupCache> lookups = std::make_shared<HostLookupCache>();
    std::shared_ptr<KnownCompanies> known;  // none: every company is read
    std::vector<std::thread> threads;       // changed only under the engine's lifecycle lock

    bool Stopped() const { return canceller->IsCancelled(); }
    // A sleep that ends early, with false, when the search is stopped.
    bool Wait(std::chrono::milliseconds duration) { return canceller->WaitFor(duration); }
    void Stop() {
        canceller->Cancel();
        gate.Stop();
        connections->Close();
    }
};
