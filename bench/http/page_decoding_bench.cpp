// What the client does to a page after reading it: gzip decoding and the conversion of a UTF-8
// page to GB18030, on 1 MB pages. The conversion is also measured through iconv, for comparison.
// The choice of a page's encoding (prescan, head and undeclared UTF-8 check) is measured on 1 MB of
// GBK without declaration and on a result page of the demo directory, beside the whole decoding
// of that page, whose share it must stay a small part of.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>

#include "http/content_decoding.h"
#include "http/http_client.h"
#include "http/page_charset.h"
#include "platform/text_encoding.h"
#include "tests/http/support/compressed.h"
#include "tools/demo-directory/demo_catalogue.h"
#include "tools/demo-directory/demo_pages.h"
#include "tools/demo-directory/demo_wire.h"
#include "tools/demo-directory/gbk_text.h"

namespace {

constexpr std::size_t kPageBytes = 1024 * 1024;
constexpr std::size_t kDecodeLimit = 10 * 1024 * 1024;
constexpr const char* kUtf8Type = "text/html; charset=utf-8";

std::string Repeated(const char8_t* piece) {
    const std::string text(reinterpret_cast<const char*>(piece));
    std::string page;
    while (page.size() < kPageBytes) page += text;
    return page;
}

// A directory company page: markup with Chinese labels and values, about half the bytes Chinese.
const std::string& DirectoryPage() {
    static const std::string page = Repeated(
        u8"<tr><td class=\"label\">公司名称：</td><td class=\"value\">深圳市华强电子有限公司</td></tr>\r\n"
        u8"<tr><td class=\"label\">地址：</td><td>广东省　深圳市福田区深南大道1号</td></tr>\r\n"
        u8"<tr><td class=\"label\">主营产品或服务：</td><td>阀门、螺丝、LED灯具</td></tr>\r\n");
    return page;
}

// Running Chinese text: every character three bytes in UTF-8.
const std::string& ChineseText() {
    static const std::string page = Repeated(u8"本公司是一家集研发、生产、销售于一体的现代化企业，产品远销欧美。");
    return page;
}

void ConvertUtf8Page(benchmark::State& state, const std::string& page) {
    for (auto _ : state) {
        state.PauseTiming();  // the client converts the page in the buffer it was read into
        std::string body = page;
        state.ResumeTiming();
        ConvertPageToGb18030(kUtf8Type, body);
        benchmark::DoNotOptimize(body.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}

void BM_Utf8ToGb18030_DirectoryPage(benchmark::State& state) {
    ConvertUtf8Page(state, DirectoryPage());
}
void BM_Utf8ToGb18030_ChineseText(benchmark::State& state) {
    ConvertUtf8Page(state, ChineseText());
}

void BM_Utf8ToGb18030_DirectoryPageThroughIconv(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(ConvertText(DirectoryPage(), "UTF-8", "GB18030"));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * DirectoryPage().size()));
}

void BM_GzipPage(benchmark::State& state) {
    const std::string& page = DirectoryPage();
    const std::string packed = Compressed(page, kGzipWindowBits);
    for (auto _ : state) {
        state.PauseTiming();
        std::string body = packed;
        state.ResumeTiming();
        if (DecodeContentCoding("gzip", body, kDecodeLimit) != ContentDecodeResult::Decoded)
            state.SkipWithError("the page did not decode");
        benchmark::DoNotOptimize(body.data());
    }
    // Throughput in decoded bytes: what the reader of the page gets per second.
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}

// The benchmark's own GBK inputs: the directory page above with a head and no declaration, and
// Chinese text without a single tag, whose head the walk reads to the end.
std::string Gbk(const std::string& utf8) {
    return ConvertTextReplacing(utf8, "UTF-8", "GBK", "?");
}

const std::string& UndeclaredGbkPage() {
    static const std::string page =
        Gbk(reinterpret_cast<const char*>(u8"<html><head><title>公司黄页</title></head><body>\r\n") +
            DirectoryPage() + "</body></html>");
    return page;
}

const std::string& GbkTextWithoutTags() {
    static const std::string page = Gbk(ChineseText());
    return page;
}

void DecidePageEncoding(benchmark::State& state, const std::string& contentType, const std::string& page) {
    for (auto _ : state) benchmark::DoNotOptimize(PageEncoding(contentType, page));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}

void BM_PageEncoding_UndeclaredGbkPage(benchmark::State& state) {
    DecidePageEncoding(state, "text/html", UndeclaredGbkPage());
}
void BM_PageEncoding_UndeclaredGbkTextWithoutTags(benchmark::State& state) {
    DecidePageEncoding(state, "text/html", GbkTextWithoutTags());
}

// Result page 1 of the demo directory's default search for the keyword that finds the most
// companies, as the demo serves it: GBK, its charset in the header and in a meta tag near the top.
const DemoWireBody& DemoListPage() {
    static const DemoWireBody wire = [] {
        const DemoCatalogue catalogue(300, 1);
        DemoConditions conditions;
        conditions.keyword = reinterpret_cast<const char*>(u8"有限公司");
        const std::string utf8 =
            RenderListPage(catalogue.Search(conditions), 1, "http://s.demo-b2b.test/search");
        return ToWire(DemoWireOptions{}, Utf8ToGbk(utf8).value_or(std::string()));
    }();
    return wire;
}

// The same page from a server that names no charset, once with its meta tag and once without.
enum DemoDeclaration { kHeaderAndMeta, kMetaOnly, kUndeclared };

std::string DemoContentType(int declaration) {
    return declaration == kHeaderAndMeta ? DemoListPage().contentType : "text/html";
}

std::string DemoBody(int declaration) {
    std::string body = DemoListPage().body;
    if (declaration == kUndeclared) {
        const std::size_t meta = body.find("<meta http-equiv");
        body.erase(meta, body.find('>', meta) + 1 - meta);
    }
    return body;
}

void BM_PageEncoding_DemoListPage(benchmark::State& state) {
    DecidePageEncoding(state, DemoContentType(static_cast<int>(state.range(0))),
                       DemoBody(static_cast<int>(state.range(0))));
}

// The steps of the client's page delivery once the body is read: the body into the page, the
// encoding chosen and the page converted if need be, the page into the client's buffer.
void BM_PageDecoding_DemoListPage(benchmark::State& state) {
    const std::string contentType = DemoContentType(static_cast<int>(state.range(0)));
    const std::string body = DemoBody(static_cast<int>(state.range(0)));
    const auto buffer = std::make_unique<char[]>(HttpClient::kHtmlBufferSize);
    std::string page;
    for (auto _ : state) {
        page.assign(body);
        ConvertPageToGb18030(contentType, page);
        std::memcpy(buffer.get(), page.data(), page.size());
        buffer[page.size()] = '\0';
        benchmark::DoNotOptimize(buffer.get());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * body.size()));
    state.counters["page_bytes"] = static_cast<double>(body.size());
}

BENCHMARK(BM_PageEncoding_UndeclaredGbkPage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PageEncoding_UndeclaredGbkTextWithoutTags)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PageEncoding_DemoListPage)
    ->Arg(kHeaderAndMeta)
    ->Arg(kMetaOnly)
    ->Arg(kUndeclared)
    ->Unit(benchmark::kNanosecond);
BENCHMARK(BM_PageDecoding_DemoListPage)
    ->Arg(kHeaderAndMeta)
    ->Arg(kMetaOnly)
    ->Arg(kUndeclared)
    ->Unit(benchmark::kNanosecond);
BENCHMARK(BM_Utf8ToGb18030_DirectoryPage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Utf8ToGb18030_ChineseText)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Utf8ToGb18030_DirectoryPageThroughIconv)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GzipPage)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
