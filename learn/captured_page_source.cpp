#include "learn/captured_page_source.h"

#include <algorithm>

bool CapturedPageSource::Fetch(CompanyPage page, const std::string& url, std::string_view& body) {
    lastAddress = url;
    if (saved.Fetch(page, url, body)) return true;
    const auto linked = std::find_if(
        company.linkedPages.begin(), company.linkedPages.end(),
        [&url](const CapturedCompany::LinkedPage& linkedPage) { return linkedPage.address == url; });
    if (linked == company.linkedPages.end() || linked->body.empty()) return false;
    body = linked->body;
    return true;
}
