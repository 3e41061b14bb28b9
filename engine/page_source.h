#pragma once

#include <string>
#include <string_view>

// The pages of one company, in the order the company reading asks for them.
enum class CompanyPage { home, contact, introduction, memberTime, memberConfirmation };
inline constexpr std::size_t kCompanyPageCount = 5;

// Where the company reading gets its pages: the crawl asks the directory site, the rules tester
// reads saved files. One extraction code path serves both.
class PageSource {
public:
    virtual ~PageSource() = default;
    // The page at url, in the role it plays for the company; false when it could not be read. The
    // body stays valid until the next Fetch.
    virtual bool Fetch(CompanyPage page, const std::string& url, std::string_view& body) = 0;
    // The address the last page read came from, after any redirect: what its links are relative
    // to, as a browser resolves them against the document's own address.
    virtual std::string LastPageAddress() const = 0;
};
