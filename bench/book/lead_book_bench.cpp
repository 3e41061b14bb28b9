// The lead book at the size of years of searching: a book of 1,000,000 companies, made by the
// benchmark itself in a temporary folder (kept between runs of one process), then a look-up per
// link, 100,000 records added one transaction each as a search adds them (with and without the
// search that found them), what one commit costs alone, and book export's reading of 100,000
// rows. File size per company is reported as a counter.

#include <benchmark/benchmark.h>
#include <time.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "book/book_search.h"
#include "book/lead_book.h"
#include "engine/result_row.h"

namespace {

constexpr int kBookCompanies = 1'000'000;
constexpr int kAddedRecords = 100'000;
constexpr int64_t kNow = 1'700'000'000;
constexpr char kSite[] = "demo-b2b.test";

CompanyRecord TypicalRecord(int number) {
    CompanyRecord record;
    record.url = "http://company.demo-b2b.test/" + std::to_string(number) + "/";
    record.compName = "杭州某某阀门制造有限公司" + std::to_string(number);
    record.contact = "王女士 采购经理";
    record.phone = "86-0571-8888" + std::to_string(number % 10000);
    record.mobile = "1390000" + std::to_string(number % 10000);
    record.address = "浙江省杭州市西湖区文三路 100 号";
    record.compIntroduce = std::string(300, 'x');
    record.mainProduct = "球阀 闸阀 截止阀";
    return record;
}

CompanyRef RefOf(int number) {
    return {kSite, "company.demo-b2b.test/" + std::to_string(number)};
}

// The benchmarks' own folder, removed when they end.
const std::string& BookFolder() {
    static const std::string folder = [] {
        std::string pattern = "/tmp/harvio-book-bench-XXXXXX";
        return mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
    }();
    return folder;
}

std::string BookPath() {
    return BookFolder() + "/leads.sqlite";
}

// The book of a million companies, written once, one transaction per company as searches write it.
std::shared_ptr<LeadBook> MillionBook() {
    static std::shared_ptr<LeadBook> book = [] {
        auto made = std::make_shared<LeadBook>();
        made->Open(BookPath());
        FoundCompany found;
        for (int number = 0; number < kBookCompanies; ++number)
            made->KeepFound(RefOf(number), TypicalRecord(number), true, 0, kNow + number, found);
        return made;
    }();
    return book;
}

void BM_LookUpPerLink(benchmark::State& state) {
    auto book = MillionBook();
    std::mt19937 random(7);
    std::uniform_int_distribution<int> pick(0, kBookCompanies - 1);
    for (auto _ : state) benchmark::DoNotOptimize(book->Lookup(RefOf(pick(random))));
    state.counters["bytes_per_company"] =
        static_cast<double>(std::filesystem::file_size(BookPath())) / kBookCompanies;
}
BENCHMARK(BM_LookUpPerLink)->Unit(benchmark::kMicrosecond);

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// As a search adds them: each record its own transaction, with the search that found it (1) or
// without one (0). The CPU time is the process's, the checkpointer's thread included; the
// writer's own is the counter writer_cpu_s.
void BM_Add100000Records(benchmark::State& state) {
    auto book = MillionBook();
    static int next = kBookCompanies;
    const int64_t searchId = state.range(0) != 0 ? book->AddSearch(kSite, {}, kNow) : 0;
    double writerSeconds = 0;
    for (auto _ : state) {
        FoundCompany found;
        const double start = ThreadCpuSeconds();
        for (int added = 0; added < kAddedRecords; ++added, ++next)
            book->KeepFound(RefOf(next), TypicalRecord(next), true, searchId, kNow, found);
        writerSeconds += ThreadCpuSeconds() - start;
    }
    state.SetItemsProcessed(state.iterations() * kAddedRecords);
    state.counters["writer_cpu_s"] = writerSeconds / static_cast<double>(state.iterations());
}
BENCHMARK(BM_Add100000Records)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->MeasureProcessCPUTime();

// What one committed transaction costs before any record is in it: taking and leaving the book's
// locks and, with one page changed (an export mark), writing it to the log. The record writes
// above pay this once each.
void BM_CommitAlone(benchmark::State& state) {
    auto book = MillionBook();
    // The same company each time: its pages are read once, so only the commit is measured.
    const CompanyRef company = state.range(0) != 0 ? RefOf(0) : CompanyRef{kSite, "no.such.company.test/"};
    int64_t when = kNow;
    for (auto _ : state) book->MarkExported({company}, ++when);
}
BENCHMARK(BM_CommitAlone)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_Export100000Rows(benchmark::State& state) {
    auto book = MillionBook();
    BookExportFilter filter;  // the companies first found last: 100,000 of them
    filter.newSince = kNow + kBookCompanies - kAddedRecords;
    filter.notExported = true;
    for (auto _ : state) {
        int rows = 0;
        std::string csv;
        book->ForEachEntry(filter, [&](const CompanyRef&, const BookEntry& entry) {
            csv += CsvLine(BuildResultCells(entry.record, ++rows));
        });
        state.counters["rows"] = rows;
        benchmark::DoNotOptimize(csv);
    }
}
BENCHMARK(BM_Export100000Rows)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // Half a gigabyte: never left behind.
    if (!BookFolder().empty()) std::filesystem::remove_all(BookFolder());
    return 0;
}
