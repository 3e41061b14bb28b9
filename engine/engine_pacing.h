#pragma once

#include <chrono>

// The waits of one engine. The program always runs with these values: they pace the crawl so
// that the directory site serves it. Only tests build an engine with shorter ones.
struct EnginePacing {
    std::chrono::milliseconds requestDelay{500};      // before every request of its clients
    std::chrono::milliseconds workerStartWait{1000};  // after the start of each company worker
    std::chrono::milliseconds drainPoll{5000};        // walker's look at the queue once all pages are read
    std::chrono::milliseconds pauseLength{60000};     // rest of all requests after kPauseRequestCount
    std::chrono::milliseconds resultPoll{500};        // GetNextCompany's look at the results
};
