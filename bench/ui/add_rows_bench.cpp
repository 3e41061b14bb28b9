// The result list under a long search: 100,000 rows added through AddCompanyRow, the memory
// they take, and reading every cell back as the exports do.

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QApplication>
#include <QStringEncoder>
#include <filesystem>
#include <memory>

#include "app/harvio_dlg.h"
#include "book/window_book.h"
#include "ui/controls/my_list_ctrl.h"

namespace {

constexpr int kRowCount = 100000;
constexpr int kColumnCount = 20;

std::string Gbk(const char* utf8) {
    QStringEncoder encoder("GBK");
    const QByteArray bytes = encoder.encode(QString::fromUtf8(utf8));
    return bytes.toStdString();
}

// A company as the directory typically delivers it: every shown field filled.
CompanyRecord TypicalRecord() {
    CompanyRecord record;
    record.validate = 1;
    record.compName = Gbk("杭州明亮照明电器有限公司");
    record.contact = Gbk("王女士 销售经理");
    record.phone = "86-0571-88886666";
    record.mobile = "13900001111";
    record.fax = "0571-88886667";
    record.address = Gbk("浙江省杭州市西湖区文三路100号华星大厦12楼");
    record.zipCode = "310012";
    record.webSite = " http://www.example.com";
    record.compIntroduce =
        Gbk("本公司是一家专业生产LED照明产品的企业，产品远销欧美，拥有先进的生产设备和"
            "完善的质量管理体系，欢迎新老客户来电洽谈。");
    record.mainProduct = Gbk("LED灯、路灯、隧道灯、投光灯");
    record.mainIndustry = Gbk("照明工业");
    record.compType = Gbk("私营有限责任公司");
    record.businessMode = Gbk("生产加工");
    record.foundTime = "2003";
    record.legalPerson = Gbk("王明");
    record.employeeCount = Gbk("51 - 100 人");
    record.regCapital = Gbk("500万人民币");
    return record;
}

// Heap bytes in use: unlike the resident size, not hidden by memory the allocator kept.
size_t HeapBytesInUse() {
    return mallinfo2().uordblks;
}

// With book 1 every row also goes to the lead book's window rows, on disk in a temporary folder;
// the time includes writing the last rows out, and the CPU time that of the book's writer thread.
void BM_AddRows(benchmark::State& state) {
    const CompanyRecord record = TypicalRecord();
    const bool booked = state.range(0) == 1;
    char folder[] = "/tmp/harvio-bench-XXXXXX";
    if (booked && mkdtemp(folder) == nullptr) state.SkipWithError("no temporary folder");
    const std::string bookPath = std::string(folder) + "/leads.sqlite";
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<CHarvioDlg>();
        std::unique_ptr<WindowBook> book;
        if (booked) {
            std::filesystem::remove(bookPath);
            auto leads = std::make_shared<LeadBook>();
            leads->Open(bookPath, BookDurability::kEveryCommit);
            book = std::make_unique<WindowBook>(leads);
            window->AttachBook(book.get());
        }
        const size_t before = HeapBytesInUse();
        state.ResumeTiming();
        for (int number = 1; number <= kRowCount; ++number) window->AddCompanyRow(record, number);
        if (book) book->Flush();
        state.PauseTiming();
        state.counters["rows"] = window->ResultList().GetItemCount();
        state.counters["MB_for_rows"] = static_cast<double>(HeapBytesInUse() - before) / (1024 * 1024);
        window.reset();
        book.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRowCount);
    if (booked) std::filesystem::remove_all(folder);
}
BENCHMARK(BM_AddRows)
    ->ArgName("book")
    ->Arg(0)
    ->Arg(1)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

void BM_ReadRowsBack(benchmark::State& state) {
    CHarvioDlg window;
    const CompanyRecord record = TypicalRecord();
    for (int number = 1; number <= kRowCount; ++number) window.AddCompanyRow(record, number);
    const CMyListCtrl& list = window.ResultList();
    for (auto _ : state) {
        qsizetype bytes = 0;
        for (int row = 0; row < list.GetItemCount(); ++row) {
            for (int subItem = 0; subItem < kColumnCount; ++subItem)
                bytes += list.GetItemText(row, subItem).size();
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * kRowCount);
}
BENCHMARK(BM_ReadRowsBack)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
