// Whole searches of the demo directory by the engine in-process, with short waits, so that the
// figures show the engine's own cost: time per search and the process's peak memory; and a
// search of each layout with waits, against the bound those waits set. The demo directory's
// program is started on a free loopback port for each case (the one beside this build, or the
// one HARVIO_DEMO_DIRECTORY names).
#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "book/book_search.h"
#include "book/company_key.h"
#include "engine/search_engine_alibaba.h"
#include "http/connect_to_map.h"
#include "http/tls_trust.h"
#include "http/trace_output.h"
#include "tools/demo-directory/demo_wire.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;

constexpr int kReuseDays = 30;        // the shipped setting
constexpr int kBoundCompanies = 300;  // about 200 rows over 5 (classic) or 10 (modern) result pages

std::string DemoDirectoryProgram() {
    if (const char* named = std::getenv("HARVIO_DEMO_DIRECTORY")) return named;
    char self[4096] = {};
    ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string directory = std::string(self, length > 0 ? length : 0);
    directory.resize(directory.rfind('/'));
    return directory + "/../tools/demo-directory/harvio-demo-directory";
}

std::string SourceDirectory() {
    const char* named = std::getenv("HARVIO_SOURCE_DIR");
    return named ? named : ".";
}

// The process's peak resident memory so far, in KiB (VmHWM).
double PeakResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6);
    }
    return 0;
}

// The demo directory with `companies` companies on a free port, stopped at the end of the scope;
// with a CA file it serves HTTPS, UTF-8 pages and gzip bodies, as today's directory sites do.
class DemoDirectory {
public:
    DemoDirectory(int companies, const std::string& caFile, bool modern = false) {
        int ends[2];
        if (pipe(ends) != 0) return;
        std::vector<std::string> arguments = {DemoDirectoryProgram(), "--port", "0", "--companies",
                                              std::to_string(companies)};
        if (!caFile.empty()) arguments.insert(arguments.end(), {"--https", caFile, "--utf8", "--gzip"});
        if (modern) arguments.insert(arguments.end(), {"--site", "modern"});
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, ends[0]);
        if (posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0) child = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(ends[1]);
        char line[128] = {};
        ssize_t got = read(ends[0], line, sizeof line - 1);  // "listening on 127.0.0.1:PORT\n"
        close(ends[0]);
        const char* colon = got > 0 ? std::strrchr(line, ':') : nullptr;
        if (colon) port = std::atoi(colon + 1);
    }
    ~DemoDirectory() {
        if (child <= 0) return;
        kill(child, SIGTERM);
        waitpid(child, nullptr, 0);
    }
    int port = 0;

private:
    pid_t child = -1;
};

// The demo directory served to this process: every host goes to its port and the engine's trace
// is silenced, both undone at the end of the scope.
class ServedDemoDirectory {
public:
    ServedDemoDirectory(int companies, const std::string& caFile, bool modern = false)
        : site(companies, caFile, modern) {
        if (site.port == 0) return;
        quiet = std::fopen("/dev/null", "w");
        SetTraceStream(quiet);
        ClearConnectTo();
        AddConnectTo("::127.0.0.1:" + std::to_string(site.port));
    }
    ~ServedDemoDirectory() {
        if (site.port == 0) return;
        ClearConnectTo();
        SetTraceStream(stdout);
        if (quiet != nullptr) std::fclose(quiet);
    }
    bool Serving() const { return site.port != 0; }

private:
    DemoDirectory site;
    std::FILE* quiet = nullptr;
};

// The rules file of the crawl: the shipped one, or its https form written beside the CA file.
std::string CrawlRules(const std::string& caFile) {
    const std::string shipped = SourceDirectory() + "/config/reg.alibaba";
    if (caFile.empty()) return shipped;
    std::ifstream in(shipped, std::ios::binary);
    std::ostringstream rules;
    rules << in.rdbuf();
    const std::string path = caFile + ".rules";
    std::ofstream(path, std::ios::binary) << HttpsRules(rules.str());
    return path;
}

// The pacing of the benchmarks: short waits, so that the figures show the engine's own cost.
EnginePacing ShortPacing() {
    return {.requestDelay = 0ms,
            .workerStartWait = 1ms,
            .drainPoll = 10ms,
            .pauseLength = 1ms,
            .resultPoll = 5ms};
}

// One whole search of the demo directory being served, with the rules; every record goes to take,
// and the engine to prepare before the search starts. The number of records.
int64_t SearchDemoDirectory(const std::string& rules,
                            const std::function<void(SearchEngine_Alibaba&)>& prepare,
                            const std::function<void(const CompanyRecord&)>& take) {
    SearchEngine_Alibaba engine(ShortPacing());
    engine.LoadRulesFrom(rules);
    prepare(engine);
    SearchCondition condition;
    condition.keyword = "有限公司";  // about two thirds of the directory, over many pages
    engine.SetCondition(condition);
    engine.StartSearch();
    int64_t rows = 0;
    while (std::unique_ptr<CompanyRecord> record = engine.GetNextCompany()) {
        take(*record);
        ++rows;
    }
    return rows;
}

// state.range(1): 1 over HTTPS with UTF-8 pages and gzip bodies, 0 plain HTTP with GBK pages.
void BM_CrawlDemoDirectory(benchmark::State& state) {
    const bool https = state.range(1) != 0;
    // Each demo directory makes its own CA, and the client keeps the trust it built from a CA
    // file's name: one name per directory.
    const std::string caFile = https ? "/tmp/harvio-crawl-bench-ca-" + std::to_string(getpid()) + "-" +
                                           std::to_string(state.range(0)) + ".pem"
                                     : "";
    const ServedDemoDirectory site(static_cast<int>(state.range(0)), caFile);
    if (!site.Serving()) {
        state.SkipWithError("the demo directory did not start");
        return;
    }
    SetExtraCaFile(caFile);
    const std::string rules = CrawlRules(caFile);
    int64_t rows = 0;
    for (auto _ : state)
        rows += SearchDemoDirectory(
            rules, [](SearchEngine_Alibaba&) {}, [](const CompanyRecord&) {});
    state.counters["rows"] =
        benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kAvgIterations);
    state.counters["rows_per_s"] = benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsRate);
    state.counters["peak_rss_KiB"] = PeakResidentKiB();
    SetExtraCaFile("");
    if (https) {
        std::remove(caFile.c_str());
        std::remove(rules.c_str());
    }
}

// A search of the 300-company demo with the lead book, as harvio-cli search makes it: with
// repeated 0 the book starts empty, with 1 it holds the same search made just before, so that
// every company comes from the book and only the result pages are read.
void BM_SearchWithTheLeadBook(benchmark::State& state) {
    const bool repeated = state.range(0) != 0;
    const ServedDemoDirectory site(kBoundCompanies, "");
    char folder[] = "/tmp/harvio-book-search-bench-XXXXXX";
    if (!site.Serving() || mkdtemp(folder) == nullptr) {
        state.SkipWithError("the demo directory did not start");
        return;
    }
    const std::string rules = CrawlRules("");
    const std::string bookPath = std::string(folder) + "/leads.sqlite";
    const auto searchWithBook = [&](const std::shared_ptr<LeadBook>& book) {
        std::shared_ptr<BookSearch> search;
        return SearchDemoDirectory(
            rules,
            [&](SearchEngine_Alibaba& engine) {
                search = std::make_shared<BookSearch>(book, SiteNameOf(engine.Rules()),
                                                      CompanyKeyer(engine.Rules()), kReuseDays);
                search->Begin(SearchCondition{});
                engine.SetKnownCompanies(search);
            },
            [&](const CompanyRecord& record) {
                FoundCompany found;
                search->Keep(record, found);
            });
    };
    int64_t rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(folder);
        auto book = std::make_shared<LeadBook>();
        book->Open(bookPath);
        if (repeated) searchWithBook(book);
        state.ResumeTiming();
        rows = searchWithBook(book);
    }
    state.counters["rows"] = static_cast<double>(rows);
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_SearchWithTheLeadBook)
    ->ArgNames({"repeated"})
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// state.range(0): 0 the classic layout, 1 the modern one (one page per company, a contact page
// for some, a session cookie). The waits are a fifth of the program's, the worker starts and the
// rest short; the bound is what they alone take: page 1 (and its session redirect), the worker
// starts, the company requests of the busiest of the three workers, and the rests after every
// 500 counted requests. Reported as wall time over that bound.
void BM_CrawlAgainstThePacingBound(benchmark::State& state) {
    const bool modern = state.range(0) != 0;
    const ServedDemoDirectory site(kBoundCompanies, "", modern);
    if (!site.Serving()) {
        state.SkipWithError("the demo directory did not start");
        return;
    }
    EnginePacing pacing;
    pacing.requestDelay = 100ms;
    pacing.workerStartWait = 10ms;
    pacing.pauseLength = 200ms;
    pacing.resultPoll = 5ms;
    double boundSeconds = 0;
    double wallSeconds = 0;
    int64_t rows = 0;
    for (auto _ : state) {
        SearchEngine_Alibaba engine(pacing);
        engine.LoadRulesFrom(SourceDirectory() +
                             (modern ? "/config/sites/demo-modern.rules" : "/config/reg.alibaba"));
        SearchCondition condition;
        condition.keyword = "有限公司";
        engine.SetCondition(condition);
        const auto started = std::chrono::steady_clock::now();
        engine.StartSearch();
        int64_t companyRequests = 0;
        while (std::unique_ptr<CompanyRecord> record = engine.GetNextCompany()) {
            ++rows;
            companyRequests += 1 + !record->contactUrl.empty() + !record->introduceUrl.empty();
            if (record->validate == 1 && !record->timeInfoUrl.empty()) companyRequests += 2;
        }
        wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        state.SetIterationTime(wallSeconds);
        const int firstPageRequests = modern ? 2 : 1;
        const int64_t workers = SearchEngine_Alibaba::kCompanyWorkerCount;
        const int64_t rests =
            (static_cast<int64_t>(SearchEngine_Alibaba::kRequestsPerCompany) * rows + engine.currentPage) /
            SearchEngine_Alibaba::kPauseRequestCount;
        const auto bound = pacing.requestDelay * firstPageRequests + pacing.workerStartWait * workers +
                           pacing.requestDelay * ((companyRequests + workers - 1) / workers) +
                           pacing.pauseLength * rests;
        boundSeconds = std::chrono::duration<double>(bound).count();
        state.counters["company_requests"] = static_cast<double>(companyRequests);
    }
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["bound_s"] = boundSeconds;
    state.counters["wall_over_bound"] = boundSeconds > 0 ? wallSeconds / boundSeconds : 0;
}

BENCHMARK(BM_CrawlAgainstThePacingBound)
    ->ArgName("modern")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK(BM_CrawlDemoDirectory)
    ->ArgNames({"companies", "https"})
    ->Args({300, 0})
    ->Args({300, 1})
    ->Args({1000, 0})
    ->Args({1000, 1})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
