// The lead book: one entry per company and site, the keys that make links of one company meet,
// reuse within reuseDays, its schema from the first version on, and books it cannot read.

#include "book/lead_book.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

#include "book/book_checkpointer.h"
#include "book/book_search.h"
#include "book/record_blob.h"
#include "book/support/book_fixture.h"

namespace {

constexpr int64_t kDay = BookSearch::kSecondsPerDay;
constexpr int64_t kNow = 1'700'000'000;

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A profile of today: general pages by pattern, member sites under one host by a member id.
ExtractionRules ModernSiteRules() {
    ExtractionRules rules;
    rules.searchUrlTemplate = "https://www.demo-b2b.test/search?q={keyword}&page={page}";
    rules.generalLinkReg = boost::regex("^https?://www\\.demo-b2b\\.test/company/");
    rules.memberIdReg = boost::regex("//shop\\.demo-b2b\\.test/([^/?#]+)");
    return rules;
}

TEST(CompanyKey, LinksOfOneCompanyMeetAndTwoCompaniesNeverDo) {
    const CompanyKeyer classic(DemoSiteRules());
    const CompanyKeyer modern(ModernSiteRules());
    const struct {
        const CompanyKeyer& keyer;
        const char* first;
        const char* second;
        bool same;
    } cases[] = {
        {classic, "http://company.demo-b2b.test/12/", "https://company.demo-b2b.test/12/", true},
        {classic, "http://company.demo-b2b.test/12/", "http://company.demo-b2b.test/12", true},
        {classic, "http://COMPANY.demo-b2b.test:80/12/#top", "http://company.demo-b2b.test/12/", true},
        {classic, "https://company.demo-b2b.test:443/12/", "http://company.demo-b2b.test/12/", true},
        {classic, "http://detail.demo-b2b.test/company/ab.html?x=1",
         "http://detail.demo-b2b.test/company/ab.html?x=1#y", true},
        // A member's site is one company whatever page of it a rule found.
        {classic, "http://m123.demo-b2b.test/", "https://m123.demo-b2b.test/page/index.htm", true},
        {classic, "http://company.demo-b2b.test/12/", "http://company.demo-b2b.test/13/", false},
        {classic, "http://company.demo-b2b.test/12/", "http://detail.demo-b2b.test/company/12.html", false},
        {classic, "http://detail.demo-b2b.test/company/ab.html?x=1",
         "http://detail.demo-b2b.test/company/ab.html?x=2", false},
        {classic, "http://m123.demo-b2b.test/", "http://m124.demo-b2b.test/", false},
        {classic, "http://www.one.example/", "http://www.two.example/", false},
        {classic, "http://company.demo-b2b.test:8080/12/", "http://company.demo-b2b.test/12/", false},
        // Families and member ids by the profile's patterns, not by the classic prefixes.
        {modern, "http://www.demo-b2b.test/company/30/", "http://www.demo-b2b.test/company/31/", false},
        {modern, "http://shop.demo-b2b.test/m30/", "https://shop.demo-b2b.test/m30/contact.html", true},
        {modern, "http://shop.demo-b2b.test/m30/", "http://shop.demo-b2b.test/m31/", false},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(test.keyer.KeyOf(test.first) == test.keyer.KeyOf(test.second), test.same)
            << test.first << " / " << test.second << ": " << test.keyer.KeyOf(test.first);
    }
    EXPECT_EQ(SiteNameOf(DemoSiteRules()), kDemoSite);
    ExtractionRules named = ModernSiteRules();  // a template and no search address
    named.siteName = "modern";
    EXPECT_EQ(SiteNameOf(named), kDemoSite);
    named.searchUrlTemplate.clear();
    EXPECT_EQ(SiteNameOf(named), "modern");
}

TEST(LeadBook, TheSameCompanyFoundAgainKeepsOneEntryAndItsFirstFinding) {
    BookFolder folder;
    auto book = folder.Open();
    const CompanyRecord first = CompanyNumber(1);
    FoundCompany found;
    ASSERT_TRUE(book->KeepFound(RefOf(first), first, true, 0, kNow, found));
    EXPECT_FALSE(found.knownBefore);

    CompanyRecord again = first;
    again.url = "https://company.demo-b2b.test/1";
    again.phone = "new";
    ASSERT_TRUE(book->KeepFound(RefOf(again), again, true, 0, kNow + kDay, found));
    EXPECT_TRUE(found.knownBefore);
    EXPECT_EQ(found.firstFound, kNow);
    const auto entry = book->Lookup(RefOf(first));
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->record.phone, "new");
    EXPECT_EQ(entry->lastRead, kNow + kDay);
    EXPECT_EQ(book->Stats()->companies, 1);

    // Found again from the book: the facts and the time of reading stay, the finding moves on.
    ASSERT_TRUE(book->KeepFound(RefOf(first), first, false, 0, kNow + 2 * kDay, found));
    EXPECT_EQ(book->Lookup(RefOf(first))->record.phone, "new");
    EXPECT_EQ(book->Lookup(RefOf(first))->lastRead, kNow + kDay);
    EXPECT_EQ(book->Lookup(RefOf(first))->lastFound, kNow + 2 * kDay);
}

// The size of the log's file, in whole frames of the book's pages.
struct LogFile {
    static constexpr int64_t kFrameHeader = 24;
    std::string path;
    int64_t frame = 0;

    LogFile(const std::string& bookPath, RawBook& raw) : path(bookPath + "-wal") {
        sqlite3_stmt* query = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(raw.db, "PRAGMA page_size", -1, &query, nullptr), SQLITE_OK);
        EXPECT_EQ(sqlite3_step(query), SQLITE_ROW);
        frame = sqlite3_column_int64(query, 0) + kFrameHeader;
        sqlite3_finalize(query);
    }
    // At most the limit's frames and those of the commit that passed it.
    bool WithinLimit(const BookLogLimits& limits) const {
        constexpr int64_t kSlackFrames = 100;
        const int64_t limitFrames = limits.limitBytes / (frame - kFrameHeader);
        return static_cast<int64_t>(std::filesystem::file_size(path)) <= (limitFrames + kSlackFrames) * frame;
    }
};

// Statements stay prepared between records: one left reading would hold the log's old pages
// and keep every checkpoint from restarting it; the checkpointer's passes and the writer's last
// copy let the log start again before it passes its limit. A reader of another program that
// holds the log lets it outgrow the limit; once it is gone the file is cut back.
TEST(LeadBook, ALongSearchKeepsItsLogWithinItsLimit) {
    constexpr int kRecords = 8000;  // many limits' worth at three or more pages each
    constexpr BookLogLimits kLimits{1 << 20, 2 << 20};
    BookFolder folder;
    auto book = std::make_shared<LeadBook>(kLimits);
    ASSERT_EQ(book->Open(folder.Path()).status, BookOpenStatus::kOpened);
    FoundCompany found;
    const CompanyRecord damaged = CompanyNumber(kRecords);
    ASSERT_TRUE(book->KeepFound(RefOf(damaged), damaged, true, 0, kNow, found));
    RawBook raw(folder.Path());
    raw.Run("UPDATE companies SET facts = x'ff'");
    const LogFile log(folder.Path(), raw);
    int number = 0;
    for (; number < kRecords; ++number) {
        const CompanyRecord record = CompanyNumber(number);
        ASSERT_TRUE(book->KeepFound(RefOf(record), record, true, 0, kNow, found)) << book->LastError();
        ASSERT_TRUE(book->Lookup(RefOf(CompanyNumber(number / 2))));
        ASSERT_FALSE(book->Lookup(RefOf(damaged)));
    }
    EXPECT_TRUE(log.WithinLimit(kLimits));
    EXPECT_EQ(book->Stats()->companies, kRecords + 1);

    raw.Run("BEGIN; SELECT count(*) FROM companies;");
    for (int held = 0; held < kRecords / 4; ++held, ++number) {
        const CompanyRecord record = CompanyNumber(number);
        ASSERT_TRUE(book->KeepFound(RefOf(record), record, true, 0, kNow, found)) << book->LastError();
    }
    EXPECT_FALSE(log.WithinLimit(kLimits)) << "held by the other program's reader";
    raw.Run("COMMIT");
    for (int after = 0; after < kRecords && !log.WithinLimit(kLimits); ++after, ++number) {
        const CompanyRecord record = CompanyNumber(number);
        ASSERT_TRUE(book->KeepFound(RefOf(record), record, true, 0, kNow, found)) << book->LastError();
    }
    EXPECT_TRUE(log.WithinLimit(kLimits));
}

// The log's pages are gathered per transaction: a commit must be in the file when it returns,
// for the other program's connection and after a SIGKILL, a transaction larger than a batch
// included.
TEST(LeadBook, EveryCommittedRecordIsInTheFileAtOnceAndOutlivesAKill) {
    constexpr int kCommitsBeforeKill = 200;
    constexpr std::size_t kLargeIntroduction = 3 << 20;
    BookFolder folder;
    folder.Open();
    CompanyRecord large = CompanyNumber(0);
    large.compIntroduce = std::string(kLargeIntroduction, 'x');
    int committed[2];
    ASSERT_EQ(pipe(committed), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(committed[0]);
        LeadBook book;
        if (book.Open(folder.Path()).status != BookOpenStatus::kOpened) _exit(1);
        FoundCompany found;
        for (int number = 0;; ++number) {
            const CompanyRecord record = number == 0 ? large : CompanyNumber(number);
            if (!book.KeepFound(RefOf(record), record, true, 0, kNow, found)) _exit(1);
            if (write(committed[1], &number, sizeof number) != sizeof number) _exit(1);
        }
    }
    close(committed[1]);
    RawBook other(folder.Path());
    int number = -1;
    for (int seen = 0; seen < kCommitsBeforeKill; ++seen) {
        ASSERT_EQ(read(committed[0], &number, sizeof number), static_cast<ssize_t>(sizeof number));
        sqlite3_stmt* query = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(other.db, "SELECT count(*) FROM companies WHERE company_key = ?1", -1,
                                     &query, nullptr),
                  SQLITE_OK);
        const std::string key = RefOf(CompanyNumber(number)).key;
        sqlite3_bind_blob(query, 1, key.data(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
        ASSERT_EQ(sqlite3_step(query), SQLITE_ROW);
        EXPECT_EQ(sqlite3_column_int(query, 0), 1) << "company " << number << " after its commit";
        sqlite3_finalize(query);
    }
    kill(child, SIGKILL);
    // The commits the killed writer reported after those checked count too.
    while (read(committed[0], &number, sizeof number) == sizeof number) {
    }
    close(committed[0]);
    waitpid(child, nullptr, 0);
    auto book = folder.Open();
    EXPECT_EQ(book->Lookup(RefOf(large))->record.compIntroduce.size(), kLargeIntroduction);
    for (int each = 1; each <= number; ++each)
        ASSERT_TRUE(book->Lookup(RefOf(CompanyNumber(each)))) << "company " << each << " of " << number;
}

// A log another connection left behind: the checkpointer copies it into the book on its own
// thread and leaves the writer nothing but the new start.
TEST(BookCheckpointer, CopiesTheLogIntoTheBookAndHandsTheRestToTheWriter) {
    constexpr int kRows = 2000;
    constexpr auto kPatience = std::chrono::seconds(30);
    BookFolder folder;
    folder.Open();
    RawBook writer(folder.Path());
    writer.Run(
        "PRAGMA wal_autocheckpoint = 0; CREATE TABLE filler(x);"
        "WITH RECURSIVE row(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM row WHERE n < " +
        std::to_string(kRows) + ") INSERT INTO filler SELECT randomblob(3000) FROM row");
    const auto bookSize = [&] { return std::filesystem::file_size(folder.Path()); };
    const uintmax_t before = bookSize();
    EXPECT_LT(before, static_cast<uintmax_t>(kRows) * 3000) << "the rows are still in the log";

    BookCheckpointer checkpointer;
    ASSERT_TRUE(checkpointer.Start(folder.Path()));
    checkpointer.Request();
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (!checkpointer.CatchUpWanted() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_GT(bookSize(), static_cast<uintmax_t>(kRows) * 3000);
    checkpointer.Stop();
    EXPECT_FALSE(checkpointer.Running());
    EXPECT_FALSE(checkpointer.Start(folder.Path() + ".missing")) << "it never makes a book";
}

TEST(LeadBook, RecordsReadBackFieldForField) {
    CompanyRecord record = CompanyNumber(7);
    record.validate = 1;
    record.memberId = std::string("a\0b:12:", 7);
    record.trustYears = "3";
    EXPECT_EQ(EncodeRecord(*DecodeRecord(EncodeRecord(record))), EncodeRecord(record));
    EXPECT_EQ(DecodeRecord(EncodeRecord(record))->memberId, record.memberId);
    EXPECT_FALSE(DecodeRecord(EncodeRecord(record).substr(0, 30)));
    EXPECT_FALSE(DecodeCells("99999999999999999999:x"));
}

TEST(BookSearch, ACompanyReadWithinReuseDaysComesFromTheBookAndOnlyOncePerSearch) {
    BookFolder folder;
    auto book = folder.Open();
    FoundCompany found;
    const CompanyRecord lately = CompanyNumber(1), longAgo = CompanyNumber(2);
    ASSERT_TRUE(book->KeepFound(RefOf(lately), lately, true, 0, kNow - 29 * kDay, found));
    ASSERT_TRUE(book->KeepFound(RefOf(longAgo), longAgo, true, 0, kNow - 30 * kDay, found));

    const struct {
        int reuseDays;
        const char* link;
        KnownCompany::Kind kind;
    } cases[] = {
        {30, "http://company.demo-b2b.test/1/", KnownCompany::Kind::kReuse},
        {30, "https://company.demo-b2b.test/1", KnownCompany::Kind::kSkip},  // the same company again
        {30, "http://company.demo-b2b.test/2/", KnownCompany::Kind::kRead},
        {30, "http://company.demo-b2b.test/3/", KnownCompany::Kind::kRead},
        {0, "http://company.demo-b2b.test/1/", KnownCompany::Kind::kRead},
        {28, "http://company.demo-b2b.test/1/", KnownCompany::Kind::kRead},
    };
    std::map<int, std::shared_ptr<BookSearch>> searches;
    for (const auto& test : cases) {
        auto& search = searches[test.reuseDays];
        if (!search)
            search = std::make_shared<BookSearch>(book, kDemoSite, CompanyKeyer(DemoSiteRules()),
                                                  test.reuseDays, [] { return kNow; });
        const KnownCompany known = search->Look(test.link);
        EXPECT_EQ(known.kind, test.kind) << test.reuseDays << " " << test.link;
        if (known.kind == KnownCompany::Kind::kReuse) {
            EXPECT_EQ(known.record->compName, lately.compName);
        }
    }
    // The reused company is kept as found, not as read.
    BookSearch& search = *searches[30];
    ASSERT_TRUE(search.Keep(lately, found));
    EXPECT_EQ(book->Lookup(RefOf(lately))->lastRead, kNow - 29 * kDay);
    ASSERT_TRUE(search.Keep(CompanyNumber(3), found));
    EXPECT_EQ(book->Lookup(RefOf(CompanyNumber(3)))->lastRead, kNow);
}

// The first version's tables, as that version made them.
constexpr char kVersionOneBook[] =
    "CREATE TABLE companies(id INTEGER PRIMARY KEY, site TEXT NOT NULL, company_key BLOB NOT NULL,"
    " facts BLOB NOT NULL, first_found INTEGER NOT NULL, last_found INTEGER NOT NULL,"
    " last_read INTEGER NOT NULL, last_exported INTEGER, UNIQUE(site, company_key));"
    "CREATE INDEX companies_by_first_found ON companies(first_found);"
    "CREATE TABLE searches(id INTEGER PRIMARY KEY, site TEXT NOT NULL, conditions BLOB NOT NULL,"
    " started INTEGER NOT NULL);"
    "CREATE TABLE finds(company INTEGER NOT NULL REFERENCES companies(id) ON DELETE CASCADE,"
    " search INTEGER NOT NULL REFERENCES searches(id) ON DELETE CASCADE,"
    " PRIMARY KEY(company, search)) WITHOUT ROWID;"
    "INSERT INTO companies VALUES(1, 'demo-b2b.test', CAST('company.demo-b2b.test/5' AS BLOB),"
    " CAST('8:compName3:abc' AS BLOB), 100, 200, 150, NULL);"
    "PRAGMA user_version = 1;";

TEST(LeadBook, ABookOfTheFirstVersionIsBroughtUpToDateWithItsCompanies) {
    BookFolder folder;
    std::filesystem::create_directories(std::filesystem::path(folder.Path()).parent_path());
    RawBook(folder.Path()).Run(kVersionOneBook);
    auto book = folder.Open();
    const auto entry = book->Lookup({kDemoSite, "company.demo-b2b.test/5"});
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->record.compName, "abc");
    EXPECT_EQ(entry->firstFound, 100);
    WindowRow row{1, RefOf(CompanyNumber(5)), false, true, {"1"}};
    EXPECT_TRUE(book->AddWindowRow(row));
    book.reset();
    RawBook raw(folder.Path());
    sqlite3_stmt* version = nullptr;
    sqlite3_prepare_v2(raw.db, "PRAGMA user_version", -1, &version, nullptr);
    ASSERT_EQ(sqlite3_step(version), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(version, 0), 2);
    sqlite3_finalize(version);
}

TEST(LeadBook, AnUnreadableBookIsMovedAsideAndANewerOneLeftAlone) {
    const struct {
        const char* what;
        std::string content;  // written as a file, or run as SQL when sql is set
        bool sql;
        BookOpenStatus expected;
    } cases[] = {
        {"text, CRLF", "R\t1\tabc\r\nC\t0\t1\r\n", false, BookOpenStatus::kMovedAside},
        {"a damaged database", std::string("SQLite format 3\0", 16) + std::string(4000, '\x7f'), false,
         BookOpenStatus::kMovedAside},
        {"another program's database", "CREATE TABLE notes(x);", true, BookOpenStatus::kMovedAside},
        {"a later version's book", "CREATE TABLE later(x); PRAGMA user_version = 99;", true,
         BookOpenStatus::kNewer},
    };
    for (const auto& test : cases) {
        BookFolder folder;
        std::filesystem::create_directories(std::filesystem::path(folder.Path()).parent_path());
        if (test.sql) {
            RawBook(folder.Path()).Run(test.content);
        } else {
            std::ofstream(folder.Path(), std::ios::binary) << test.content;
        }
        const std::string before = FileBytes(folder.Path());
        LeadBook book;
        const BookOpenResult opened = book.Open(folder.Path());
        EXPECT_EQ(opened.status, test.expected) << test.what;
        if (test.expected == BookOpenStatus::kNewer) {
            EXPECT_FALSE(book.IsOpen());
            EXPECT_EQ(FileBytes(folder.Path()), before) << test.what;
            continue;
        }
        EXPECT_NE(opened.movedTo.find("leads.sqlite.unreadable-"), std::string::npos) << opened.movedTo;
        EXPECT_EQ(FileBytes(opened.movedTo), before) << test.what;
        FoundCompany found;
        EXPECT_TRUE(book.KeepFound(RefOf(CompanyNumber(1)), CompanyNumber(1), true, 0, kNow, found))
            << test.what;
    }
}

TEST(LeadBook, WindowRowsNameTheirCompanyAndADamagedRowCostsOnlyItself) {
    BookFolder folder;
    auto book = folder.Open();
    FoundCompany found;
    ASSERT_TRUE(book->KeepFound(RefOf(CompanyNumber(1)), CompanyNumber(1), true, 0, kNow, found));
    ASSERT_TRUE(book->MarkExported({RefOf(CompanyNumber(1))}, kNow + 5));
    for (int id = 1; id <= 4; ++id)
        ASSERT_TRUE(book->AddWindowRow({id, RefOf(CompanyNumber(id)), false, true, {std::to_string(id)}}));
    RawBook(folder.Path()).Run("UPDATE window_rows SET cells = CAST('5:x' AS BLOB) WHERE id = 2");
    ASSERT_TRUE(book->SetWindowRowChecked(3, false));
    const auto rows = book->WindowRows();
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->size(), 3u);
    EXPECT_EQ((*rows)[0].firstFound, kNow);
    EXPECT_EQ((*rows)[0].lastExported, kNow + 5);
    EXPECT_EQ((*rows)[1].cells[0], "3");
    EXPECT_FALSE((*rows)[1].checked);
    EXPECT_TRUE((*rows)[2].checked);
    ASSERT_TRUE(book->RemoveWindowRows(3));
    EXPECT_EQ(book->WindowRows()->size(), 1u) << "a row added after the Clear stays";
    EXPECT_EQ(book->LastWindowRowId(), 4);
}

TEST(LeadBook, TwoProcessesWriteAtOnceAndNoRecordIsLost) {
    constexpr int kEach = 150;
    BookFolder folder;
    folder.Open();
    const auto writeCompanies = [&](int from) {
        LeadBook book;
        if (book.Open(folder.Path()).status != BookOpenStatus::kOpened) return false;
        FoundCompany found;
        for (int number = from; number < from + kEach; ++number) {
            if (!book.KeepFound(RefOf(CompanyNumber(number)), CompanyNumber(number), true, 0, kNow, found))
                return false;
        }
        return true;
    };
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(writeCompanies(kEach) ? 0 : 1);
    EXPECT_TRUE(writeCompanies(0));
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(folder.Open()->Stats()->companies, 2 * kEach);
}

TEST(LeadBook, StatsExportFilterAndForget) {
    BookFolder folder;
    auto book = folder.Open();
    FoundCompany found;
    for (int number = 1; number <= 3; ++number)
        ASSERT_TRUE(book->KeepFound(RefOf(CompanyNumber(number)), CompanyNumber(number), true, 0,
                                    kNow + number * 10 * kDay, found));
    ASSERT_TRUE(book->MarkExported({RefOf(CompanyNumber(2))}, kNow));
    const auto names = [&](const BookExportFilter& filter) {
        std::vector<std::string> seen;
        EXPECT_TRUE(book->ForEachEntry(filter, [&](const CompanyRef&, const BookEntry& entry) {
            seen.push_back(entry.record.compName);
        }));
        return seen;
    };
    EXPECT_EQ(names({}), (std::vector<std::string>{"公司1", "公司2", "公司3"}));
    EXPECT_EQ(names({0, true}), (std::vector<std::string>{"公司1", "公司3"}));
    EXPECT_EQ(names({kNow + 20 * kDay, true}), (std::vector<std::string>{"公司3"}));
    const auto stats = book->Stats();
    EXPECT_EQ(stats->perSite, (std::vector<std::pair<std::string, int64_t>>{{kDemoSite, 3}}));
    EXPECT_EQ(stats->newPerWeek.size(), 3u);
    EXPECT_EQ(book->Forget(kNow + 25 * kDay), 2);
    EXPECT_EQ(names({}), (std::vector<std::string>{"公司3"}));
}

}  // namespace
