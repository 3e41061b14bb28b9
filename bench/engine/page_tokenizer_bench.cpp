// Walking a page's tags: a page as a directory writes one, and the hostile pages a site may send
// (a megabyte of "<", of tags never closed, of scripts never ended), each walked in one pass.
// Counter bytes_per_second: the walk's speed; the hostile pages must stay near the plain one's.
// The pages are this benchmark's own.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/page_tokenizer.h"

namespace {

constexpr std::size_t kPageSize = 1 << 20;

std::string Repeated(const std::string& piece) {
    std::string page;
    while (page.size() < kPageSize) page += piece;
    return page;
}

const std::string& Page(int kind) {
    static const std::string pages[] = {
        Repeated("<tr><td class=\"label\">\xB5\xE7\xBB\xB0\xA3\xBA</td><td>0571-88881234</td></tr>\n"
                 "<!-- row --><a href=\"/c/1.html\" title='x>y'>\xBC\xD7\xB9\xAB\xCB\xBE</a>\n"),
        std::string(kPageSize, '<'),
        Repeated("<a href='x'"),
        Repeated("<SCRIPT></"),
    };
    return pages[kind];
}

void BM_WalkPageTags(benchmark::State& state) {
    const std::string& page = Page(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        PageTokenizer tokenizer(page);
        PageToken token;
        std::size_t tokens = 0;
        while (tokenizer.Next(token)) ++tokens;
        benchmark::DoNotOptimize(tokens);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
// 0: a directory's page, 1: "<" alone, 2: tags never closed, 3: scripts never ended
BENCHMARK(BM_WalkPageTags)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
