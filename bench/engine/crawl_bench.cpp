// Whole searches of the demo directory by the engine in-process, with short waits, so that the
// figures show the engine's own cost: time per search and the process's peak memory. The demo
// directory's program is started on a free loopback port for each size (the one beside this
// build, or the one HARVIO_DEMO_DIRECTORY names).
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

constexpr int kReuseDays = 30;  // the shipped setting

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
    DemoDirectory(int companies, const std::string& caFile) {
        int ends[2];
        if (pipe(ends) != 0) return;
        std::vector<std::string> arguments = {DemoDirectoryProgram(), "--port", "0", "--companies",
                                              std::to_string(companies)};
        if (!caFile.empty()) arguments.insert(arguments.end(), {"--https", caFile, "--utf8", "--gzip"});
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

// One whole search of the demo directory on the port with the rules; every record goes to take,
// and the engine to prepare before the search starts. The number of records.
int64_t SearchDemoDirectory(int port, const std::string& rules,
                            const std::function<void(SearchEngine_Alibaba&)>& prepare,
                            const std::function<void(const CompanyRecord&)>& take) {
    ClearConnectTo();
    AddConnectTo("::127.0.0.1:" + std::to_string(port));
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
    ClearConnectTo();
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
    DemoDirectory site(static_cast<int>(state.range(0)), caFile);
    if (site.port == 0) {
        state.SkipWithError("the demo directory did not start");
        return;
    }
    std::FILE* quiet = std::fopen("/dev/null", "w");
    SetTraceStream(quiet);
    SetExtraCaFile(caFile);
    const std::string rules = CrawlRules(caFile);
    int64_t rows = 0;
    for (auto _ : state)
        rows += SearchDemoDirectory(
            site.port, rules, [](SearchEngine_Alibaba&) {}, [](const CompanyRecord&) {});
    state.counters["rows"] =
        benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kAvgIterations);
    state.counters["rows_per_s"] = benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsRate);
    state.counters["peak_rss_KiB"] = PeakResidentKiB();
    SetExtraCaFile("");
    if (https) {
        std::remove(caFile.c_str());
        std::remove(rules.c_str());
    }
    SetTraceStream(stdout);
    std::fclose(quiet);
}

// A search of the 300-company demo with the lead book, as harvio-cli search makes it: with
// repeated 0 the book starts empty, with 1 it holds the same search made just before, so that
// every company comes from the book and only the result pages are read.
void BM_SearchWithTheLeadBook(benchmark::State& state) {
    const bool repeated = state.range(0) != 0;
    DemoDirectory site(300, "");
    char folder[] = "/tmp/harvio-book-search-bench-XXXXXX";
    if (site.port == 0 || mkdtemp(folder) == nullptr) {
        state.SkipWithError("the demo directory did not start");
        return;
    }
    std::FILE* quiet = std::fopen("/dev/null", "w");
    SetTraceStream(quiet);
    const std::string rules = CrawlRules("");
    const std::string bookPath = std::string(folder) + "/leads.sqlite";
    const auto searchWithBook = [&](const std::shared_ptr<LeadBook>& book) {
        std::shared_ptr<BookSearch> search;
        return SearchDemoDirectory(
            site.port, rules,
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
    SetTraceStream(stdout);
    std::fclose(quiet);
}
BENCHMARK(BM_SearchWithTheLeadBook)
    ->ArgNames({"repeated"})
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

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
