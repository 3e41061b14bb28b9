#pragma once

#include <string>
#include <vector>

#include "tools/demo-directory/demo_company.h"
#include "tools/demo-directory/demo_site_map.h"

// The pages of the demo directory as UTF-8 HTML, written the way the real site writes them:
// attributes, scripts, styles, comments, "&nbsp;", full-width spaces and solidi, CR LF.
// The server converts them to GBK.

// Result page `page` of a search that found `found` (all pages' companies, in list order).
// `pageUrl` is the page's own address, from which the links to the other pages are made.
std::string RenderListPage(const std::vector<const DemoCompany*>& found, int page,
                           const std::string& pageUrl);

// One of a company's pages (home, contact, introduction, or a member's time or confirmation page).
std::string RenderCompanyPage(const DemoCompany& company, demo_site::PageKind kind);

// The result pages list 40 companies each.
inline constexpr int kCompaniesPerListPage = 40;
