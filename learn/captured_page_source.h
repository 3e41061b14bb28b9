#pragma once

#include "engine/captured_company.h"
#include "engine/saved_page_source.h"

// A captured company's pages served to the company reading: the page saved in the role asked
// for, else, for a company captured with the pages its home page links to, the linked page of
// the address asked for. So the rules read a capture made without a profile as a search would
// read the site.
class CapturedPageSource : public PageSource {
public:
    explicit CapturedPageSource(const CapturedCompany& company) : company(company), saved(company.pages) {}
    bool Fetch(CompanyPage page, const std::string& url, std::string_view& body) override;
    std::string LastPageAddress() const override { return lastAddress; }

private:
    const CapturedCompany& company;
    SavedPageSource saved;
    std::string lastAddress;
};
