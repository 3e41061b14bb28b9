// A 40 KB response head arriving a byte at a time, as a slow or hostile server can send it: the
// client looks for the head's end after every read, then parses the head once. Builds its own
// head of many short lines, the costly shape for a scan that restarts at every read.
#include <benchmark/benchmark.h>

#include <string>

#include "http/response_parser.h"

namespace {

constexpr std::size_t kHeadBytes = 40 * 1024;

std::string LongHead() {
    std::string head = "HTTP/1.1 200 OK\r\n";
    for (int line = 0; head.size() < kHeadBytes; ++line)
        head += "X-Trace-" + std::to_string(line) + ": edge=hz-07; hit=0; ttl=300\r\n";
    return head + "\r\n";
}

void BM_HeadArrivingByteByByte(benchmark::State& state) {
    const std::string head = LongHead();
    for (auto _ : state) {
        ResponseHeadEnd headEnd;
        std::size_t bodyStart = std::string_view::npos;
        for (std::size_t arrived = 1; arrived <= head.size() && bodyStart == std::string_view::npos;
             ++arrived)
            bodyStart = headEnd.Find(std::string_view(head.data(), arrived));
        ParsedResponse parsed;
        ParseResponse(head, parsed);
        benchmark::DoNotOptimize(parsed.bodyStart);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * head.size()));
}
BENCHMARK(BM_HeadArrivingByteByByte)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
