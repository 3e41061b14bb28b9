#pragma once

#include <array>
#include <string>

#include "engine/page_source.h"

// Pages saved beforehand, one per role (home, contact, introduction, the member time and
// confirmation pages), served for whatever address the company reading asks. A page not given,
// or an empty one, counts as not read; a page's links are read against the address asked for.
class SavedPageSource : public PageSource {
public:
    using Pages = std::array<std::string, kCompanyPageCount>;  // by CompanyPage

    explicit SavedPageSource(Pages pages) : pages(std::move(pages)) {}
    bool Fetch(CompanyPage page, const std::string& url, std::string_view& body) override;
    std::string LastPageAddress() const override { return lastAddress; }

private:
    Pages pages;
    std::string lastAddress;
};
