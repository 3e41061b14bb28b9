#pragma once

#include <map>
#include <mutex>
#include <string>

#include "tools/demo-directory/demo_catalogue.h"
#include "tools/demo-directory/demo_faults.h"
#include "tools/demo-directory/demo_layout.h"

// The demo directory's answer to one request, before it goes on the wire.
struct DemoReply {
    int status = 200;
    std::string body;  // GBK
    DemoFault fault = DemoFault::None;
    std::size_t truncateAt = 0;  // for DemoFault::Truncated: the bytes sent before the cut
    std::string location;        // for DemoFault::Redirect
};

// The two ways the demo directory writes its pages: the directory's own (classic) and a site of
// today (modern, see demo_modern_pages.h). Both show the same companies with the same values.
enum class DemoSiteStyle { Classic, Modern };

// Answers requests by host and target from the catalogue, and decides which fault each page gets:
// - result page 1 never fails (a search whose first page fails has nothing to show); from page 2
//   on a failing fault hits only the first request of the page, so the engine's retry reads it;
// - a company's pages fail for good; a truncated home page (cut before its links, or in the
//   modern layout in its middle) never reaches the client whole, so the company yields no row;
//   other pages are never truncated;
// - a page reached through a redirect fault is never faulted again.
class DemoSite {
public:
    DemoSite(const DemoCatalogue& catalogue, const DemoFaults& faults);

    void SetStyle(DemoSiteStyle chosen) { style = chosen; }
    // The company pages in a changed layout (result pages keep theirs).
    void SetLayout(DemoLayout changed) { layout = changed; }

    DemoReply Answer(const std::string& host, const std::string& target);

    // Whether the engine can read every page of the company that its home page links (with the
    // faults in force).
    bool CompanyReadable(const DemoCompany& company) const;

    const DemoFaults& Faults() const { return faults; }

private:
    DemoReply AnswerSearch(const std::string& url, const std::string& target);
    DemoReply AnswerCompany(const std::string& url, const std::string& host, const std::string& target);
    DemoReply AnswerModern(const std::string& url, const std::string& host, const std::string& target);
    DemoFault CompanyPageFault(const std::string& url, bool homePage) const;
    bool FirstAttempt(const std::string& url);

    const DemoCatalogue& catalogue;
    DemoFaults faults;
    DemoLayout layout = DemoLayout::Standard;
    DemoSiteStyle style = DemoSiteStyle::Classic;
    std::mutex attemptsLock;
    std::map<std::string, int> attempts;
};
