#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/company_family.h"

// A company's pages saved in a folder of their own by `capture`, read back by `rules`: one file
// per page, named after the page, and the company link and its family in files beside them.
struct CapturedCompany {
    std::string link;  // GBK, as the result page gave it
    CompanyFamily family = CompanyFamily::general;
    std::vector<std::string> pages;  // in the order the company reading asks for them
};

// The file name of the page at a position of that order: "1-home.html", "2-contact.html", ...
std::string CapturedPageName(std::size_t position);
inline constexpr std::size_t kCapturedPageLimit = 5;  // home to the member confirmation page

const char* FamilyName(CompanyFamily family);  // "member", "general" or "company"
CompanyFamily FamilyNamed(const std::string& name);

// False (reason on stderr) when the folder can't be made or a file can't be written.
bool SaveCapturedCompany(const std::string& folder, const CapturedCompany& company);
// None when the folder holds no captured company (no link file).
std::optional<CapturedCompany> ReadCapturedCompany(const std::string& folder);

// A whole file's bytes; none when it can't be read.
std::optional<std::string> ReadWholeFile(const std::string& path);
// False (reason on stderr) when it can't be written.
bool WriteWholeFile(const std::string& path, const std::string& bytes);
