#include "book/company_key.h"

#include <optional>

#include "engine/company_family.h"
#include "engine/company_parser.h"
#include "http/public_suffix.h"
#include "http/url.h"

namespace {

constexpr std::string_view kMemberKeyPrefix = "member:";

}  // namespace

CompanyKeyer::CompanyKeyer(const ExtractionRules& rules) : rules_(rules) {}

std::string CompanyKeyer::KeyOf(const std::string& link) const {
    const std::optional<Url> url = Url::Parse(link);
    if (!url || !url->IsHttp() || url->Host().empty() ||
        ChooseFamily(rules_, url->Href(), PrefixScheme::either) != CompanyFamily::memberSite)
        return CanonicalLink(link);
    // A profile's member id pattern names the member wherever the id stands in the link.
    if (rules_.memberIdReg) {
        const std::string memberId = MemberIdOf(rules_, url->Href());
        if (!memberId.empty()) return std::string(kMemberKeyPrefix) + memberId;
    }
    return std::string(kMemberKeyPrefix) + std::string(url->HostPort());
}

std::string CanonicalLink(std::string_view link) {
    const std::optional<Url> url = Url::Parse(link);
    if (!url || !url->IsHttp()) return std::string(link);
    std::string key(url->HostPort());
    std::string_view path = url->Path();
    if (path.ends_with('/')) path.remove_suffix(1);
    key += path;
    if (!url->Query().empty()) {
        key += '?';
        key += url->Query();
    }
    return key;
}

std::string SiteNameOf(const ExtractionRules& rules) {
    // A profile of today may give only the search address template.
    const std::string& address = rules.searchBaseUrl.empty() ? rules.searchUrlTemplate : rules.searchBaseUrl;
    const std::optional<Url> url = Url::Parse(address);
    if (!url || url->Host().empty()) return address.empty() ? rules.siteName : address;
    std::string_view host = url->Host();
    if (host.find_first_not_of("0123456789.[]:") == std::string_view::npos)
        return std::string(host);  // an address
    // The longest tail of the host that is a public suffix, and the label before it.
    for (std::size_t dot = host.find('.'); dot != std::string_view::npos; dot = host.find('.')) {
        if (IsPublicSuffix(host.substr(dot + 1))) return std::string(host);
        host.remove_prefix(dot + 1);
    }
    return std::string(host);
}
