#include "book/support/book_fixture.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>

#include <filesystem>
#include <fstream>

namespace {

// Room for a few hundred rows once the filler goes.
constexpr char kFullDiskSize[] = "size=8m";
constexpr char kFiller[] = "filler";

}  // namespace

ExtractionRules DemoSiteRules() {
    ExtractionRules rules;
    rules.searchBaseUrl = "http://s.demo-b2b.test/company/";
    rules.companySitePrefix = "http://company";
    rules.detailPrefix = "http://detail";
    rules.directoryPrefix = "http://dir";
    return rules;
}

CompanyRecord CompanyNumber(int number) {
    CompanyRecord record;
    record.url = "http://company.demo-b2b.test/" + std::to_string(number) + "/";
    record.compName = "公司" + std::to_string(number);
    record.contact = "王女士 经理";
    record.phone = "86-0571-" + std::to_string(1000 + number);
    record.compIntroduce = "介绍\r\n第二行\t\"引号\"";
    return record;
}

CompanyRef RefOf(const CompanyRecord& record) {
    return {kDemoSite, CompanyKeyer(DemoSiteRules()).KeyOf(record.url)};
}

std::shared_ptr<LeadBook> BookFolder::Open(BookDurability durability) const {
    auto book = std::make_shared<LeadBook>();
    EXPECT_EQ(book->Open(Path(), durability).status, BookOpenStatus::kOpened);
    return book;
}

FullDiskFolder::FullDiskFolder() {
    // A mount namespace of this process keeps the mount from everyone else and ends with it.
    if (unshare(CLONE_NEWNS) != 0) return;
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return;
    mounted_ = mount("tmpfs", dir_.Path().c_str(), "tmpfs", 0, kFullDiskSize) == 0;
}

FullDiskFolder::~FullDiskFolder() {
    if (mounted_) umount2(dir_.Path().c_str(), MNT_DETACH);
}

void FullDiskFolder::Fill() {
    std::ofstream filler(dir_.Path() / kFiller, std::ios::binary | std::ios::app);
    const std::string block(4096, 'x');
    while (filler.write(block.data(), block.size()) && filler.flush()) {
    }
}

void FullDiskFolder::Free() {
    std::filesystem::remove(dir_.Path() / kFiller);
}

RawBook::RawBook(const std::string& path) {
    sqlite3_open(path.c_str(), &db);
    // A read may meet the other connection's start of a new log.
    sqlite3_busy_timeout(db, static_cast<int>(LeadBook::kBusyTimeout.count()));
}

RawBook::~RawBook() {
    sqlite3_close(db);
}

void RawBook::Run(const std::string& sql) {
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
}
