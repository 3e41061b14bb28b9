// The window's rows in the lead book: a full disk during a search drops no row, and the rows
// reach the book, in order, once there is room again; ticks, Clear and exports name rows and
// companies, never places.

#include "book/window_book.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "book/support/book_fixture.h"

namespace {

constexpr int kRows = 40;

SearchCondition KeywordSearch() {
    SearchCondition condition;
    condition.keyword = "阀门";
    return condition;
}

CompanyRecord LongCompany(int number) {
    CompanyRecord record = CompanyNumber(number);
    record.compIntroduce = std::string(3000, 'i') + std::to_string(number);
    return record;
}

TEST(WindowBook, AFullDiskDuringASearchDropsNoRowAndSaysSoOnce) {
    FullDiskFolder disk;
    const std::string path = disk.Path() + "/leads.sqlite";
    auto book = std::make_shared<LeadBook>();
    ASSERT_EQ(book->Open(path, BookDurability::kEveryCommit).status, BookOpenStatus::kOpened);
    std::atomic<int> failingReports = 0, diskFullReports = 0, recoveredReports = 0;
    std::vector<RowBookFacts> shown;
    {
        WindowBook window(book);
        window.SetTroubleReport([&](bool failing, bool diskFull, const std::string&) {
            (failing ? failingReports : recoveredReports)++;
            if (diskFull) diskFullReports++;
        });
        auto search = window.BeginSearch(kDemoSite, CompanyKeyer(DemoSiteRules()), KeywordSearch(), 30);
        shown.push_back(window.KeepRecord(*search, LongCompany(1), {"1"}));
        if (disk.Mounted()) {
            disk.Fill();
        } else {
            book->LimitPagesForTesting(1);  // no tmpfs here: the write seam
        }
        for (int number = 2; number <= kRows; ++number)
            shown.push_back(window.KeepRecord(*search, LongCompany(number), {std::to_string(number)}));
        window.SetChecked(shown[2].rowId, false);
        window.Flush();
        EXPECT_TRUE(window.Failing());
        EXPECT_EQ(failingReports, 1) << "one report while the writes fail";
        EXPECT_EQ(diskFullReports, 1);
        EXPECT_EQ(recoveredReports, 0);

        if (disk.Mounted()) {
            disk.Free();
        } else {
            book->LimitPagesForTesting(0);
        }
        // Each flush ends at a failed try; the writes go through at the first try after the room came.
        for (int attempt = 0; attempt < 10 && window.Failing(); ++attempt) window.Flush();
        EXPECT_FALSE(window.Failing());
        EXPECT_EQ(recoveredReports, 1);
    }
    const auto rows = book->WindowRows();
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->size(), static_cast<std::size_t>(kRows));
    for (int row = 0; row < kRows; ++row) {
        EXPECT_EQ((*rows)[row].id, shown[row].rowId);
        EXPECT_EQ((*rows)[row].cells[0], std::to_string(row + 1));
        EXPECT_EQ((*rows)[row].checked, row != 2);
        EXPECT_TRUE(book->Lookup((*rows)[row].company)) << row;
    }
}

TEST(WindowBook, RowsKnownBeforeAreToldAndClearKeepsRowsAddedSince) {
    BookFolder folder;
    auto book = folder.Open();
    FoundCompany found;
    ASSERT_TRUE(book->KeepFound(RefOf(CompanyNumber(1)), CompanyNumber(1), true, 0, 100, found));
    WindowBook window(book, [] { return int64_t{5000}; });
    auto search = window.BeginSearch(kDemoSite, CompanyKeyer(DemoSiteRules()), KeywordSearch(), 30);
    const RowBookFacts known = window.KeepRecord(*search, CompanyNumber(1), {"1"});
    const RowBookFacts fresh = window.KeepRecord(*search, CompanyNumber(2), {"2"});
    EXPECT_TRUE(known.knownBefore);
    EXPECT_EQ(known.firstFound, 100);
    EXPECT_FALSE(fresh.knownBefore);
    EXPECT_EQ(fresh.firstFound, 5000);

    // A record that comes while a tick of the window waits for the book (another program holds
    // it) is in the book once it is handed back to be shown.
    RawBook other(folder.Path());
    other.Run("BEGIN IMMEDIATE");
    window.SetChecked(known.rowId, false);
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        other.Run("COMMIT");
    });
    const RowBookFacts behindTick = window.KeepRecord(*search, CompanyNumber(4), {"4"});
    EXPECT_TRUE(book->Lookup(behindTick.company)) << "shown only once kept";
    release.join();

    window.MarkExported({known.company});
    window.RemoveRows(behindTick.rowId);
    const RowBookFacts later = window.AddRow({"3"}, false);
    window.Flush();
    EXPECT_EQ(book->Lookup(known.company)->lastExported, 5000);
    const auto rows = book->WindowRows();
    ASSERT_EQ(rows->size(), 1u);
    EXPECT_EQ(rows->front().id, later.rowId);
    EXPECT_FALSE(rows->front().checked);
}

}  // namespace
