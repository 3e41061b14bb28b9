// The result list with a full search's worth of rows: filling 100,000 rows of 20 GBK cells
// through the control's own calls, reading them all back, and scrolling and painting the shown
// list. Reports the memory the rows take (resident set growth from /proc/self/statm).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QScrollBar>
#include <QStringEncoder>
#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>

#include "ui/controls/my_list_ctrl.h"

namespace {

constexpr int kRows = 100000;
constexpr int kColumns = 20;

long ResidentBytes() {
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return resident * sysconf(_SC_PAGESIZE);
}

// Cell texts of the length and kind a search gives: names, people, numbers, an introduction.
std::array<QByteArray, kColumns> SampleCells() {
    const char* utf8[kColumns] = {
        "",
        "★",
        "广州市天河区华盛电子科技有限公司",
        "陈建国",
        "销售经理",
        "020-38765432",
        "13912345678",
        "020-38765433",
        "广东省广州市天河区天河北路233号中信广场45楼",
        "510620",
        "http://www.huasheng-dz.com",
        "本公司是一家集研发、生产、销售于一体的电子元器件企业，主要产品有电容、电阻、电感、"
        "变压器等，产品广泛应用于通讯、电脑、家电、汽车电子等领域。公司拥有先进的生产设备和"
        "完善的质量管理体系，已通过ISO9001认证，欢迎新老客户来电洽谈。",
        "电容、电阻、电感、变压器、继电器",
        "电子元器件",
        "私营有限责任公司",
        "生产加工",
        "2003-05-18",
        "陈建国",
        "101-200人",
        "500万元",
    };
    QStringEncoder gbk("GBK");
    std::array<QByteArray, kColumns> cells;
    for (int column = 0; column < kColumns; ++column) cells[column] = gbk(QString::fromUtf8(utf8[column]));
    return cells;
}

std::unique_ptr<CMyListCtrl> FilledList() {
    static const std::array<QByteArray, kColumns> cells = SampleCells();
    auto list = std::make_unique<CMyListCtrl>();
    for (int column = 0; column < kColumns; ++column) {
        list->InsertColumn(column, QString::number(column), Qt::AlignHCenter, column == 0 ? 35 : 100);
    }
    list->resize(900, 400);
    list->show();
    for (int row = 0; row < kRows; ++row) {
        QByteArray number = QByteArray::number(row + 1);
        int position = list->InsertItem(list->GetItemCount(), number);
        for (int column = 1; column < kColumns; ++column) {
            // Rows differ a little, as real ones do.
            list->SetItemText(position, column, column == 2 ? cells[column] + number : cells[column]);
        }
        list->SetCheck(position);
    }
    return list;
}

void BM_InsertRows(benchmark::State& state) {
    long growth = 0;
    for (auto _ : state) {
        long before = ResidentBytes();
        std::unique_ptr<CMyListCtrl> list = FilledList();
        QApplication::processEvents();
        growth = std::max(growth, ResidentBytes() - before);  // later rounds reuse freed memory
        benchmark::DoNotOptimize(list->GetItemCount());
        state.PauseTiming();
        list.reset();
        state.ResumeTiming();
    }
    state.counters["rows"] = kRows;
    state.counters["rss_growth_MiB"] = static_cast<double>(growth) / (1024 * 1024);
    state.counters["bytes_per_row"] = static_cast<double>(growth) / kRows;
    qsizetype text = 0;
    for (const QByteArray& cell : SampleCells()) text += cell.size();
    state.counters["text_bytes_per_row"] = static_cast<double>(text);
}
BENCHMARK(BM_InsertRows)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ReadBackAllCells(benchmark::State& state) {
    std::unique_ptr<CMyListCtrl> list = FilledList();
    for (auto _ : state) {
        qsizetype bytes = 0;
        int ticked = 0;
        for (int row = 0; row < list->GetItemCount(); ++row) {
            ticked += list->GetCheck(row) || list->IsSelected(row);
            for (int column = 0; column < kColumns; ++column) bytes += list->GetItemText(row, column).size();
        }
        benchmark::DoNotOptimize(bytes);
        benchmark::DoNotOptimize(ticked);
    }
    state.counters["cells"] = static_cast<double>(kRows) * kColumns;
}
BENCHMARK(BM_ReadBackAllCells)->Unit(benchmark::kMillisecond)->Iterations(5);

// One page down and a repaint, over the whole list.
void BM_ScrollAndPaint(benchmark::State& state) {
    std::unique_ptr<CMyListCtrl> list = FilledList();
    QScrollBar* bar = list->verticalScrollBar();
    int step = qMax(1, bar->maximum() / 200);
    int value = 0;
    for (auto _ : state) {
        value = (value + step) % (bar->maximum() + 1);
        bar->setValue(value);
        benchmark::DoNotOptimize(list->viewport()->grab());
    }
}
BENCHMARK(BM_ScrollAndPaint)->Unit(benchmark::kMillisecond)->Iterations(200);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
