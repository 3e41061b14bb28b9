#pragma once

#include <sqlite3.h>

#include <memory>
#include <string>

#include "book/company_key.h"
#include "book/lead_book.h"
#include "support/temp_dir.h"

// The demo directory's addresses, as its rules file gives them.
ExtractionRules DemoSiteRules();
inline constexpr char kDemoSite[] = "demo-b2b.test";

// A company record of the demo's company-site family, numbered.
CompanyRecord CompanyNumber(int number);
CompanyRef RefOf(const CompanyRecord& record);

// A lead book in a folder of its own.
struct BookFolder {
    TempDir dir;
    std::string Path() const { return (dir.Path() / "harvio" / "leads.sqlite").string(); }
    std::shared_ptr<LeadBook> Open(BookDurability durability = BookDurability::kCheckpoint) const;
};

// A folder whose disk runs full: a small tmpfs in a mount namespace of this process where the
// system lets the test make one (as root), else none. Fill() takes all its room, Free() gives it
// back.
class FullDiskFolder {
public:
    FullDiskFolder();
    ~FullDiskFolder();
    bool Mounted() const { return mounted_; }
    std::string Path() const { return dir_.Path().string(); }
    void Fill();
    void Free();

private:
    TempDir dir_;
    bool mounted_ = false;
};

// A raw connection to a book file, for what the program never writes (damage, other versions).
struct RawBook {
    explicit RawBook(const std::string& path);
    ~RawBook();
    void Run(const std::string& sql);
    sqlite3* db = nullptr;
};
