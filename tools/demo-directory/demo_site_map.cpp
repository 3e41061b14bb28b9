#include "tools/demo-directory/demo_site_map.h"

#include <charconv>
#include <string_view>

namespace demo_site {
namespace {

std::string Http(const std::string& host, const std::string& target) {
    return "http://" + host + target;
}

std::string MemberHost(const DemoCompany& company) {
    return company.memberId + "." + kDomain;
}

// The family's host and the path that all pages of one company share.
std::string CompanyBase(const DemoCompany& company) {
    std::string id = std::to_string(company.id);
    switch (company.family) {
        case DemoFamily::Member:
            return Http(MemberHost(company), "");
        case DemoFamily::Detail:
            return Http(kDetailHost, "/company/d" + id);
        case DemoFamily::Directory:
            return Http(kDirectoryHost, "/corp/" + id);
        case DemoFamily::CompanySite:
            return Http(kCompanySiteHost, "/" + id);
    }
    return {};
}

bool ReadId(std::string_view digits, int& id) {
    if (digits.empty()) return false;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), id);
    return error == std::errc() && end == digits.data() + digits.size() && id > 0;
}

bool Consume(std::string_view& text, std::string_view prefix) {
    if (text.substr(0, prefix.size()) != prefix) return false;
    text.remove_prefix(prefix.size());
    return true;
}

// "<id><ending>" with one of the family's page endings.
std::optional<CompanyPageAddress> ParseNumbered(std::string_view rest, std::string_view homeEnding,
                                                std::string_view contactEnding,
                                                std::string_view introEnding) {
    std::size_t digitsEnd = rest.find_first_not_of("0123456789");
    if (digitsEnd == std::string_view::npos) return std::nullopt;
    CompanyPageAddress address;
    if (!ReadId(rest.substr(0, digitsEnd), address.companyId)) return std::nullopt;
    std::string_view ending = rest.substr(digitsEnd);
    if (ending == homeEnding) {
        address.kind = PageKind::Home;
    } else if (ending == contactEnding) {
        address.kind = PageKind::Contact;
    } else if (ending == introEnding) {
        address.kind = PageKind::Introduction;
    } else {
        return std::nullopt;
    }
    return address;
}

}  // namespace

std::string HomeUrl(const DemoCompany& company) {
    bool ownHost = company.family == DemoFamily::Member || company.family == DemoFamily::CompanySite;
    return CompanyBase(company) + (ownHost ? "/" : ".html");
}

std::string ContactUrl(const DemoCompany& company) {
    switch (company.family) {
        case DemoFamily::Member:
            return CompanyBase(company) + "/page/contactinfo.htm";
        default:
            return CompanyBase(company) + "/contact.html";
    }
}

std::string IntroductionUrl(const DemoCompany& company) {
    switch (company.family) {
        case DemoFamily::Member:
            return CompanyBase(company) + "/page/creditdetail.htm";
        case DemoFamily::CompanySite:
            return CompanyBase(company) + "/intro.html";
        default:
            return CompanyBase(company) + "/profile.html";
    }
}

std::string TimeInfoUrl(const DemoCompany& company) {
    return Http(kMemberInfoHost, "/time/" + company.memberId + ".html");
}

std::string ConfirmInfoUrl(const DemoCompany& company) {
    return Http(kMemberInfoHost, "/confirm/" + company.memberId + ".html?uid=" + company.memberId);
}

std::optional<CompanyPageAddress> ParseCompanyPageAddress(const std::string& host,
                                                          const std::string& target) {
    std::string_view rest = target;
    if (host == kCompanySiteHost) {
        if (!Consume(rest, "/")) return std::nullopt;
        return ParseNumbered(rest, "/", "/contact.html", "/intro.html");
    }
    if (host == kDetailHost) {
        if (!Consume(rest, "/company/d")) return std::nullopt;
        return ParseNumbered(rest, ".html", "/contact.html", "/profile.html");
    }
    if (host == kDirectoryHost) {
        if (!Consume(rest, "/corp/")) return std::nullopt;
        return ParseNumbered(rest, ".html", "/contact.html", "/profile.html");
    }
    if (host == kMemberInfoHost) {
        CompanyPageAddress address;
        if (Consume(rest, "/time/")) {
            address.kind = PageKind::TimeInfo;
            std::size_t end = rest.find(".html");
            if (end == std::string_view::npos || rest.substr(end) != ".html") return std::nullopt;
            address.memberId = std::string(rest.substr(0, end));
            return address;
        }
        if (Consume(rest, "/confirm/")) {
            address.kind = PageKind::ConfirmInfo;
            std::size_t end = rest.find(".html?uid=");
            if (end == std::string_view::npos) return std::nullopt;
            address.memberId = std::string(rest.substr(0, end));
            // The template names the member twice; both must agree.
            if (rest.substr(end + 10) != address.memberId) return std::nullopt;
            return address;
        }
        return std::nullopt;
    }
    std::string suffix = std::string(".") + kDomain;
    if (host.size() <= suffix.size() ||
        host.compare(host.size() - suffix.size(), suffix.size(), suffix) != 0) {
        return std::nullopt;
    }
    CompanyPageAddress address;
    address.memberId = host.substr(0, host.size() - suffix.size());
    if (rest == "/") {
        address.kind = PageKind::Home;
    } else if (rest == "/page/contactinfo.htm") {
        address.kind = PageKind::Contact;
    } else if (rest == "/page/creditdetail.htm") {
        address.kind = PageKind::Introduction;
    } else {
        return std::nullopt;
    }
    return address;
}

}  // namespace demo_site
