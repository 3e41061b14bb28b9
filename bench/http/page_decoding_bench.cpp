// What the client does to a page after reading it: gzip decoding and the conversion of a UTF-8
// page to GB18030, on 1 MB pages. The conversion is also measured through iconv, for comparison.
#include <benchmark/benchmark.h>

#include <string>

#include "http/content_decoding.h"
#include "http/page_charset.h"
#include "platform/text_encoding.h"
#include "tests/http/support/compressed.h"

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

BENCHMARK(BM_Utf8ToGb18030_DirectoryPage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Utf8ToGb18030_ChineseText)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Utf8ToGb18030_DirectoryPageThroughIconv)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GzipPage)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
