#pragma once

#include <string>
#include <vector>

#include "tools/demo-directory/demo_catalogue.h"
#include "tools/demo-directory/demo_modern_map.h"

// The pages of the demo directory's modern layout as UTF-8 HTML, written the way today's sites
// write them: no totals but a "下一页" link, links relative, root-relative, protocol-relative and
// query-only with "&amp;" and "&#x2F;" in them, all facts of a company on one page and a contact
// page for some. The values are the classic layout's, so that a search gives the same rows.

// Result page `page` of the query (the companies it found, in list order).
std::string RenderModernListPage(const std::vector<const DemoCompany*>& found, const DemoConditions& query,
                                 int page);

// A company's page of facts, or its contact page.
std::string RenderModernCompanyPage(const DemoCompany& company, demo_modern::PageKind kind);
