#include "cli/captured_company.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

constexpr const char* kPageNames[kCapturedPageLimit] = {"1-home.html", "2-contact.html",
                                                        "3-introduction.html", "4-member-time.html",
                                                        "5-member-confirmation.html"};
constexpr const char* kLinkFile = "link.txt";
constexpr const char* kFamilyFile = "family.txt";

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find_first_of("\r\n"));
}

}  // namespace

std::string CapturedPageName(std::size_t position) {
    return kPageNames[position];
}

const char* FamilyName(CompanyFamily family) {
    switch (family) {
        case CompanyFamily::companySite:
            return "company";
        case CompanyFamily::general:
            return "general";
        default:
            return "member";
    }
}

CompanyFamily FamilyNamed(const std::string& name) {
    if (name == "company") return CompanyFamily::companySite;
    if (name == "general") return CompanyFamily::general;
    return CompanyFamily::memberSite;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) return std::nullopt;
    return content;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
    file.close();
    if (!file) std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return static_cast<bool>(file);
}

bool SaveCapturedCompany(const std::string& folder, const CapturedCompany& company) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        std::fprintf(stderr, "cannot make the folder %s: %s\n", folder.c_str(), error.message().c_str());
        return false;
    }
    const std::filesystem::path base(folder);
    if (!WriteWholeFile((base / kLinkFile).string(), company.link + "\n") ||
        !WriteWholeFile((base / kFamilyFile).string(), std::string(FamilyName(company.family)) + "\n")) {
        return false;
    }
    for (std::size_t position = 0; position < company.pages.size() && position < kCapturedPageLimit;
         ++position) {
        if (!WriteWholeFile((base / kPageNames[position]).string(), company.pages[position])) return false;
    }
    return true;
}

std::optional<CapturedCompany> ReadCapturedCompany(const std::string& folder) {
    const std::filesystem::path base(folder);
    const std::optional<std::string> link = ReadWholeFile((base / kLinkFile).string());
    if (!link) return std::nullopt;
    CapturedCompany company;
    company.link = FirstLine(*link);
    const std::optional<std::string> family = ReadWholeFile((base / kFamilyFile).string());
    company.family = FamilyNamed(family ? FirstLine(*family) : std::string());
    // The pages end at the first one missing, as the reading stopped there.
    for (const char* name : kPageNames) {
        std::optional<std::string> page = ReadWholeFile((base / name).string());
        if (!page) break;
        company.pages.push_back(std::move(*page));
    }
    return company;
}
