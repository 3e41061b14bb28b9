// Link resolution as the engine and the client meet it: 100,000 links of the kinds a directory's
// pages and redirects hold (relative, "../", root-relative, absolute, query-only, "//host",
// fragment) against the bases of a few page kinds. The links are made here, as the pages hold them.
#include <benchmark/benchmark.h>

#include <optional>
#include <string>
#include <vector>

#include "http/url.h"

namespace {

constexpr int kLinkCount = 100000;

const char* const kBases[] = {
    "http://s.demo-b2b.test/company/k-%c9%fa%b2%fa_p-3.html?pageSize=40",
    "https://company.demo-b2b.test/c/100234/index.html",
    "http://m100234.demo-b2b.test/page/contactinfo.htm",
    "https://detail.demo-b2b.test/d/7/8/9/profile.html#top",
};

std::string Link(int i) {
    const std::string id = std::to_string(100000 + i);
    switch (i % 8) {
        case 0:
            return "contactinfo.htm";
        case 1:
            return "../../c/" + id + "/creditdetail.htm";
        case 2:
            return "/company/detail/" + id + ".html?from=list";
        case 3:
            return "http://m" + id + ".demo-b2b.test/";
        case 4:
            return "?pageSize=40&p=" + std::to_string(i % 50) + "&k=%C9%FA%B2%FA";
        case 5:
            return "//detail.demo-b2b.test/d/" + id + ".html";
        case 6:
            return "https://Company.DEMO-b2b.test:443/c/" + id + "/./intro/../index.html";
        default:
            return "#anchor" + id;
    }
}

void ResolveLinks(benchmark::State& state) {
    std::vector<Url> bases;
    for (const char* base : kBases) bases.push_back(*Url::Parse(base));
    std::vector<std::string> links;
    for (int i = 0; i < kLinkCount; ++i) links.push_back(Link(i));
    for (auto _ : state) {
        std::size_t written = 0;
        for (std::size_t i = 0; i < links.size(); ++i) {
            const std::optional<Url> resolved = bases[i % bases.size()].Resolve(links[i]);
            written += resolved->Href().size();
        }
        benchmark::DoNotOptimize(written);
    }
    state.SetItemsProcessed(state.iterations() * kLinkCount);
}
BENCHMARK(ResolveLinks)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
