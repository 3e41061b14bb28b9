#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "engine/company_family.h"
#include "engine/saved_page_source.h"

// A company's pages saved in a folder of their own by `capture`, read back by `rules`: one file
// per page the company reading read, named after the page's role, and the company link and its
// family in files beside them.
struct CapturedCompany {
    std::string link;  // GBK, as the search reads it
    CompanyFamily family = CompanyFamily::general;
    SavedPageSource::Pages pages;  // by role; empty: not read (the site has no such page)
    // What `capture --follow` saved besides: pages on the company's host that its home page links
    // to, in the order it links them, as "linked-N.html" with their addresses in linked-pages.txt.
    struct LinkedPage {
        std::string address;  // after any redirect, as its links are read against
        std::string body;
    };
    std::vector<LinkedPage> linkedPages;
};

// The file name of a page: "1-home.html", "2-contact.html", ...
std::string CapturedPageName(CompanyPage page);
// The file name of the number'th linked page, from 1: "linked-1.html", ...
std::string CapturedLinkedPageName(std::size_t number);

const char* FamilyName(CompanyFamily family);  // "member", "general" or "company"
CompanyFamily FamilyNamed(const std::string& name);

// Where `capture` notes the addresses its result pages were read from, line N for page N.
inline constexpr char kResultPageAddresses[] = "result-pages.txt";
// The address of a result page `capture` saved ("result-page-N.html"), from the file beside it;
// empty when it is not noted there.
std::string CapturedResultPageAddress(const std::string& pagePath);

// False (reason on stderr) when the folder can't be made or a file can't be written.
bool SaveCapturedCompany(const std::string& folder, const CapturedCompany& company);
// None when the folder holds no captured company (no link file).
std::optional<CapturedCompany> ReadCapturedCompany(const std::string& folder);

// One name for a folder however it was written ("saved/1/", "saved/../saved/1", a link to it), so
// that a company is known once; the folder as written when it cannot be resolved.
std::string CapturedFolderPath(const std::string& folder);

// A whole file's bytes; none when it can't be read.
std::optional<std::string> ReadWholeFile(const std::string& path);
// False (reason on stderr) when it can't be written.
bool WriteWholeFile(const std::string& path, const std::string& bytes);
