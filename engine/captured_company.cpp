#include "engine/captured_company.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string_view>

namespace {

// By CompanyPage.
constexpr const char* kPageNames[kCompanyPageCount] = {"1-home.html", "2-contact.html", "3-introduction.html",
                                                       "4-member-time.html", "5-member-confirmation.html"};
constexpr const char* kLinkFile = "link.txt";
constexpr std::string_view kResultPagePrefix = "result-page-";
constexpr const char* kFamilyFile = "family.txt";
constexpr const char* kLinkedPageAddresses = "linked-pages.txt";

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find_first_of("\r\n"));
}

}  // namespace

std::string CapturedLinkedPageName(std::size_t number) {
    return "linked-" + std::to_string(number) + ".html";
}

std::string CapturedPageName(CompanyPage page) {
    return kPageNames[static_cast<std::size_t>(page)];
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
    try {
        std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        if (file.bad()) return std::nullopt;
        return content;
    } catch (const std::ios_base::failure&) {
        return std::nullopt;  // a folder opens as a file does, and the stream throws on reading it
    }
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
    file.close();
    if (!file) std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return static_cast<bool>(file);
}

std::string CapturedResultPageAddress(const std::string& pagePath) {
    const std::filesystem::path page(pagePath);
    const std::string name = page.stem().string();
    if (!name.starts_with(kResultPagePrefix)) return {};
    const int number = std::atoi(name.c_str() + kResultPagePrefix.size());
    const std::optional<std::string> addresses =
        ReadWholeFile((page.parent_path() / kResultPageAddresses).string());
    if (number < 1 || !addresses) return {};
    std::istringstream lines(*addresses);
    std::string line;
    int at = 0;
    while (std::getline(lines, line) && ++at < number) {
    }
    return at == number ? FirstLine(line) : std::string();
}

bool SaveCapturedCompany(const std::string& folder, const CapturedCompany& company) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        std::fprintf(stderr, "cannot make the folder %s: %s\n", folder.c_str(), error.message().c_str());
        return false;
    }
    const std::filesystem::path base(folder);
    // The link file makes the folder a captured company: it is removed first and written last, so that
    // a save that fails half-way leaves no company of this link with an earlier capture's pages.
    std::filesystem::remove(base / kLinkFile, error);
    if (!WriteWholeFile((base / kFamilyFile).string(), std::string(FamilyName(company.family)) + "\n"))
        return false;
    // A capture into the folder of an earlier one leaves none of the earlier pages behind: a page
    // this reading did not read would otherwise be read back as this company's.
    for (std::size_t page = 0; page < company.pages.size(); ++page) {
        if (company.pages[page].empty()) {
            std::filesystem::remove(base / kPageNames[page], error);
        } else if (!WriteWholeFile((base / kPageNames[page]).string(), company.pages[page])) {
            return false;
        }
    }
    for (std::size_t number = company.linkedPages.size() + 1;
         std::filesystem::remove(base / CapturedLinkedPageName(number), error); ++number) {
    }
    if (company.linkedPages.empty()) {
        std::filesystem::remove(base / kLinkedPageAddresses, error);
    } else {
        std::string addresses;
        for (std::size_t number = 1; number <= company.linkedPages.size(); ++number) {
            const CapturedCompany::LinkedPage& linked = company.linkedPages[number - 1];
            if (!WriteWholeFile((base / CapturedLinkedPageName(number)).string(), linked.body)) return false;
            addresses += linked.address + "\n";
        }
        if (!WriteWholeFile((base / kLinkedPageAddresses).string(), addresses)) return false;
    }
    return WriteWholeFile((base / kLinkFile).string(), company.link + "\n");
}

std::string CapturedFolderPath(const std::string& folder) {
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(folder, error);
    return error ? folder : canonical.string();
}

std::optional<CapturedCompany> ReadCapturedCompany(const std::string& folder) {
    const std::filesystem::path base(folder);
    const std::optional<std::string> link = ReadWholeFile((base / kLinkFile).string());
    if (!link) return std::nullopt;
    CapturedCompany company;
    company.link = FirstLine(*link);
    const std::optional<std::string> family = ReadWholeFile((base / kFamilyFile).string());
    company.family = FamilyNamed(family ? FirstLine(*family) : std::string());
    // A page the reading did not read has no file.
    for (std::size_t page = 0; page < company.pages.size(); ++page) {
        company.pages[page] = ReadWholeFile((base / kPageNames[page]).string()).value_or(std::string());
    }
    // Linked pages in the order their addresses are noted; one whose file is gone is left out.
    std::istringstream addresses(
        ReadWholeFile((base / kLinkedPageAddresses).string()).value_or(std::string()));
    std::string address;
    for (std::size_t number = 1; std::getline(addresses, address); ++number) {
        std::optional<std::string> body = ReadWholeFile((base / CapturedLinkedPageName(number)).string());
        if (body) company.linkedPages.push_back({FirstLine(address), std::move(*body)});
    }
    return company;
}
