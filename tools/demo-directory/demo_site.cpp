#include "tools/demo-directory/demo_site.h"

#include <algorithm>
#include <cctype>

#include "tools/demo-directory/demo_modern_map.h"
#include "tools/demo-directory/demo_modern_pages.h"
#include "tools/demo-directory/demo_pages.h"
#include "tools/demo-directory/demo_query.h"
#include "tools/demo-directory/demo_site_map.h"
#include "tools/demo-directory/gbk_text.h"

namespace {

DemoReply NotFoundReply() {
    DemoReply reply;
    reply.status = 404;
    reply.body = "<html><body>404 Not Found</body></html>";
    return reply;
}

DemoReply PageReply(const std::string& utf8Html) {
    DemoReply reply;
    std::optional<std::string> gbk = Utf8ToGbk(utf8Html);
    if (!gbk) {
        reply.status = 500;
        reply.body = "page text not representable in GBK";
        return reply;
    }
    reply.body = std::move(*gbk);
    return reply;
}

constexpr const char* kRetryKey = "retry ";

// The ESC of an escape-location fault reaches the site raw or percent-encoded, as the client
// sends it; the page is the one before it.
std::string StripTerminalClear(const std::string& target) {
    const std::string encoded = "%1B" + std::string(demo_site::kTerminalClear + 1);
    for (const std::string& suffix : {std::string(demo_site::kTerminalClear), encoded}) {
        if (target.size() >= suffix.size() &&
            std::equal(suffix.rbegin(), suffix.rend(), target.rbegin(), [](char a, char b) {
                return std::toupper(static_cast<unsigned char>(a)) ==
                       std::toupper(static_cast<unsigned char>(b));
            }))
            return target.substr(0, target.size() - suffix.size());
    }
    return target;
}

void ApplyFault(DemoReply& reply, DemoFault fault, const std::string& target) {
    reply.fault = fault;
    switch (fault) {
        case DemoFault::NotFound:
            reply.status = 404;
            break;
        case DemoFault::Forbidden:
            reply.status = 403;
            break;
        case DemoFault::ServerError:
            reply.status = 500;
            break;
        case DemoFault::Redirect:
            reply.status = 302;
            reply.location = demo_site::kMovedPrefix + target;
            break;
        case DemoFault::EscapeLocation:
            reply.status = 302;
            reply.location = demo_site::kMovedPrefix + target + demo_site::kTerminalClear;
            break;
        case DemoFault::TooManyRequests:
        case DemoFault::Unavailable:
            reply.status = fault == DemoFault::TooManyRequests ? 429 : 503;
            reply.body = "<html><body>Please come back later.</body></html>";
            break;
        default:
            break;
    }
}

}  // namespace

DemoSite::DemoSite(const DemoCatalogue& catalogue, const DemoFaults& faults)
    : catalogue(catalogue), faults(faults) {}

DemoReply DemoSite::Answer(const std::string& host, const std::string& target) {
    std::string effectiveTarget = target;
    bool moved = target.rfind(std::string(demo_site::kMovedPrefix) + "/", 0) == 0;
    if (moved)
        effectiveTarget = StripTerminalClear(target.substr(std::string(demo_site::kMovedPrefix).size()));
    std::string url = "http://" + host + effectiveTarget;

    DemoReply reply = style == DemoSiteStyle::Modern   ? AnswerModern(url, host, effectiveTarget)
                      : host == demo_site::kSearchHost ? AnswerSearch(url, effectiveTarget)
                                                       : AnswerCompany(url, host, effectiveTarget);
    if (moved || reply.status != 200) {
        reply.fault = DemoFault::None;
        return reply;
    }
    DemoFault fault = reply.fault;
    if (fault == DemoFault::Truncated && style == DemoSiteStyle::Modern) {
        reply.truncateAt = reply.body.size() / 2;
    } else if (fault == DemoFault::Truncated) {
        // Cut just before the first link to a further page of the company.
        std::size_t cut = reply.body.find("<a href=\"http://", reply.body.find("<body>"));
        if (cut == std::string::npos) fault = DemoFault::None;
        reply.truncateAt = cut;
    }
    // A server that asks to come back later answers the next request.
    if (FaultAsksToRetry(fault) && !FirstAttempt(kRetryKey + url)) fault = DemoFault::None;
    ApplyFault(reply, fault, effectiveTarget);
    return reply;
}

DemoReply DemoSite::AnswerSearch(const std::string& url, const std::string& target) {
    std::optional<DemoSearchRequest> request = ParseSearchTarget(target);
    if (!request) return NotFoundReply();
    DemoReply reply = PageReply(RenderListPage(catalogue.Search(request->conditions), request->page, url));
    DemoFault fault = faults.For(url);
    if (fault == DemoFault::Truncated) fault = DemoFault::None;
    if (FaultFailsRequest(fault) && (request->page == 1 || !FirstAttempt(url))) fault = DemoFault::None;
    reply.fault = fault;
    return reply;
}

DemoReply DemoSite::AnswerCompany(const std::string& url, const std::string& host,
                                  const std::string& target) {
    std::optional<demo_site::CompanyPageAddress> address = demo_site::ParseCompanyPageAddress(host, target);
    if (!address) return NotFoundReply();
    const DemoCompany* company = address->companyId != 0 ? catalogue.FindById(address->companyId)
                                                         : catalogue.FindByMemberId(address->memberId);
    if (company == nullptr) return NotFoundReply();
    using demo_site::PageKind;
    bool memberInfo = address->kind == PageKind::TimeInfo || address->kind == PageKind::ConfirmInfo;
    // Each page lives only at its own address: a company of another family is not found here.
    std::string expected = address->kind == PageKind::Home           ? demo_site::HomeUrl(*company)
                           : address->kind == PageKind::Contact      ? demo_site::ContactUrl(*company)
                           : address->kind == PageKind::Introduction ? demo_site::IntroductionUrl(*company)
                           : address->kind == PageKind::TimeInfo     ? demo_site::TimeInfoUrl(*company)
                                                                     : demo_site::ConfirmInfoUrl(*company);
    if (expected != url || (memberInfo && company->family != DemoFamily::Member)) return NotFoundReply();
    DemoReply reply = PageReply(InLayout(RenderCompanyPage(*company, address->kind), layout));
    reply.fault = CompanyPageFault(url, address->kind == PageKind::Home);
    return reply;
}

DemoReply DemoSite::AnswerModern(const std::string& url, const std::string& host, const std::string& target) {
    if (host == demo_modern::kHost && target.starts_with(demo_modern::kSearchPath)) {
        const std::optional<DemoSearchRequest> request = demo_modern::ParseSearchTarget(target);
        if (!request) return NotFoundReply();
        DemoReply reply = PageReply(
            RenderModernListPage(catalogue.Search(request->conditions), request->conditions, request->page));
        DemoFault fault = faults.For(url);
        if (fault == DemoFault::Truncated) fault = DemoFault::None;
        if (FaultFailsRequest(fault) && (request->page == 1 || !FirstAttempt(url))) fault = DemoFault::None;
        reply.fault = fault;
        return reply;
    }
    const std::optional<demo_modern::CompanyPageAddress> address =
        demo_modern::ParseCompanyPageAddress(host, target);
    if (!address) return NotFoundReply();
    const DemoCompany* company = address->companyId != 0 ? catalogue.FindById(address->companyId)
                                                         : catalogue.FindByMemberId(address->memberId);
    if (company == nullptr) return NotFoundReply();
    const bool home = address->kind == demo_modern::PageKind::Home;
    // Each page lives only at its own address, and a contact page only where the company has one.
    const std::string expected = home ? demo_modern::HomeUrl(*company) : demo_modern::ContactUrl(*company);
    if (expected != url || (!home && !demo_modern::HasContactPage(*company))) return NotFoundReply();
    DemoReply reply = PageReply(InLayout(RenderModernCompanyPage(*company, address->kind), layout));
    reply.fault = CompanyPageFault(url, home);
    return reply;
}

DemoFault DemoSite::CompanyPageFault(const std::string& url, bool homePage) const {
    DemoFault fault = faults.For(url);
    if (fault == DemoFault::Truncated && !homePage) return DemoFault::None;
    return fault;
}

bool DemoSite::FirstAttempt(const std::string& url) {
    std::lock_guard<std::mutex> hold(attemptsLock);
    return ++attempts[url] == 1;
}

bool DemoSite::CompanyReadable(const DemoCompany& company) const {
    const auto readable = [&](const std::string& url, bool home) {
        const DemoFault fault = CompanyPageFault(url, home);
        return !FaultFailsRequest(fault) && fault != DemoFault::Truncated;
    };
    if (style == DemoSiteStyle::Modern) {
        return readable(demo_modern::HomeUrl(company), true) &&
               (!demo_modern::HasContactPage(company) || readable(demo_modern::ContactUrl(company), false));
    }
    // A company without an introduction link is read from its home and contact pages.
    return readable(demo_site::HomeUrl(company), true) && readable(demo_site::ContactUrl(company), false) &&
           (company.introduction == DemoIntroduction::NoLink ||
            readable(demo_site::IntroductionUrl(company), false));
}
