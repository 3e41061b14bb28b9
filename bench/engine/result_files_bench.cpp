// Writing 100,000 result rows as an Excel workbook and as a UTF-8 CSV file, as the right-click
// exports and harvio-cli do.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>

#include "engine/result_files.h"

namespace {

constexpr int kRowCount = 100000;

// A row as the directory typically fills it (GBK).
ResultCells TypicalCells(int number) {
    return {std::to_string(number),
            "★",
            "杭州明亮照明电器有限公司",
            "王女士",
            "销售经理",
            "-0571-88886666",
            "13900001111",
            "0571-88886667",
            "浙江省杭州市西湖区文三路100号华星大厦12楼",
            "310012",
            "http://www.example.com",
            "本公司是一家专业生产LED照明产品的企业，产品远销欧美，拥有先进的生产设备和完善的质量管理体系，"
            "欢迎新老客户来电洽谈。",
            "LED灯、路灯、隧道灯、投光灯",
            "照明工业",
            "私营有限责任公司",
            "生产加工",
            "2003",
            "王明",
            "51 - 100 人",
            "500万人民币"};
}

void WriteRows(benchmark::State& state,
               WrittenFile (*write)(const std::string&, const ResultRowSource&, ExistingFile),
               const char* name) {
    char folder[] = "/tmp/harvio-bench-XXXXXX";
    if (mkdtemp(folder) == nullptr) state.SkipWithError("no temporary folder");
    const std::string path = std::string(folder) + "/" + name;
    for (auto _ : state) {
        int number = 0;
        const WrittenFile written = write(
            path,
            [&](ResultCells& cells) {
                if (number == kRowCount) return false;
                cells = TypicalCells(++number);
                return true;
            },
            ExistingFile::kReplace);
        if (!written.written) state.SkipWithError(written.failure.c_str());
    }
    state.counters["MB_file"] = static_cast<double>(std::filesystem::file_size(path)) / (1024 * 1024);
    state.SetItemsProcessed(state.iterations() * kRowCount);
    std::filesystem::remove_all(folder);
}

void BM_WriteWorkbook(benchmark::State& state) {
    WriteRows(state, WriteResultWorkbook, "rows.xlsx");
}
BENCHMARK(BM_WriteWorkbook)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_WriteUtf8Csv(benchmark::State& state) {
    WriteRows(state, WriteUtf8Csv, "rows.csv");
}
BENCHMARK(BM_WriteUtf8Csv)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
