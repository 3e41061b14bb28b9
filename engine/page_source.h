#pragma once

#include <string>
#include <string_view>

// Where the company reading gets its pages: the crawl asks the directory site, the rules tester
// reads saved files. One extraction code path serves both.
class PageSource {
public:
    virtual ~PageSource() = default;
    // The page at url; false when it could not be read. The body stays valid until the next Fetch.
    virtual bool Fetch(const std::string& url, std::string_view& body) = 0;
};
