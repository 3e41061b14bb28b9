#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "tools/demo-directory/demo_catalogue.h"
#include "tools/demo-directory/demo_query.h"

// Host names and page addresses of the demo directory's modern layout (--site modern): a
// query-string search on one host, the companies' pages on that host and the members' shops on
// another, all under the demo's test domain.
namespace demo_modern {

inline constexpr const char* kHost = "www.demo-b2b.test";
inline constexpr const char* kShopHost = "shop.demo-b2b.test";
inline constexpr std::string_view kSearchPath = "/search";
inline constexpr int kCompaniesPerPage = 20;

// A company's one page of facts, and its contact page where it has one (see HasContactPage).
std::string HomeUrl(const DemoCompany& company);
std::string ContactUrl(const DemoCompany& company);
// Every third company keeps its contact facts on a page of their own.
bool HasContactPage(const DemoCompany& company);

// "/search?q=...&province=...&page=N": only the conditions given, UTF-8 percent-encoded, a
// blank as "+".
std::string SearchTarget(const DemoConditions& conditions, int page);
// Reads a request target of the search; the parameters in any order, unknown ones ignored.
// None for another path, a page that is no number from 1, or text that is not UTF-8.
std::optional<DemoSearchRequest> ParseSearchTarget(std::string_view target);

enum class PageKind { Home, Contact };
struct CompanyPageAddress {
    int companyId = 0;  // 0 when the member id names the company
    std::string memberId;
    PageKind kind = PageKind::Home;
};
// A company page by host and request target (path and query); none for any other address.
std::optional<CompanyPageAddress> ParseCompanyPageAddress(const std::string& host, std::string_view target);

}  // namespace demo_modern
