#pragma once

#include <optional>
#include <string>

#include "tools/demo-directory/demo_company.h"

// Host names and page addresses of the demo directory. Every host lies under the reserved test
// domain ".test", so the demo can never be taken for a real site; the program reaches them all
// through its connect-to map.
namespace demo_site {

inline constexpr const char* kDomain = "demo-b2b.test";
inline constexpr const char* kSearchHost = "s.demo-b2b.test";
inline constexpr const char* kCompanySiteHost = "company.demo-b2b.test";
inline constexpr const char* kDetailHost = "detail.demo-b2b.test";
inline constexpr const char* kDirectoryHost = "dir.demo-b2b.test";
inline constexpr const char* kMemberInfoHost = "member.demo-b2b.test";
inline constexpr const char* kSearchBaseUrl = "http://s.demo-b2b.test/company/";
// A redirect fault sends the client here: the same page under another path, never faulted again.
inline constexpr const char* kMovedPrefix = "/moved";
// What an escape-location fault appends to the address: ESC [2J clears a terminal.
inline constexpr const char* kTerminalClear = "\x1b[2J";

std::string HomeUrl(const DemoCompany& company);
std::string ContactUrl(const DemoCompany& company);
std::string IntroductionUrl(const DemoCompany& company);
std::string TimeInfoUrl(const DemoCompany& company);     // member sites only
std::string ConfirmInfoUrl(const DemoCompany& company);  // member sites only

enum class PageKind { Home, Contact, Introduction, TimeInfo, ConfirmInfo };

// A company page named by host and request target (path and query): which company (by id, or
// by member id) and which of its pages. None for any other address.
struct CompanyPageAddress {
    int companyId = 0;  // 0 when the member id names the company
    std::string memberId;
    PageKind kind = PageKind::Home;
};
std::optional<CompanyPageAddress> ParseCompanyPageAddress(const std::string& host, const std::string& target);

}  // namespace demo_site
