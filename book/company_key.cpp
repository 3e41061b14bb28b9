#include "book/company_key.h"

#include <optional>

#include "http/public_suffix.h"
#include "http/url.h"

namespace {

constexpr std::string_view kMemberKeyPrefix = "member:";
constexpr std::string_view kSchemeEnd = "://";

// The text after "scheme://", so that a prefix of the rules matches a link of either scheme.
std::string_view WithoutScheme(std::string_view text) {
    const std::size_t at = text.find(kSchemeEnd);
    return at == std::string_view::npos ? text : text.substr(at + kSchemeEnd.size());
}

bool HasPrefixInAnyScheme(std::string_view link, const std::string& prefix) {
    return !prefix.empty() && WithoutScheme(link).starts_with(WithoutScheme(prefix));
}

}  // namespace

CompanyKeyer::CompanyKeyer(const ExtractionRules& rules)
    : companySitePrefix_(rules.companySitePrefix),
      detailPrefix_(rules.detailPrefix),
      directoryPrefix_(rules.directoryPrefix) {}

bool CompanyKeyer::IsMemberSite(std::string_view link) const {
    return !HasPrefixInAnyScheme(link, companySitePrefix_) && !HasPrefixInAnyScheme(link, detailPrefix_) &&
           !HasPrefixInAnyScheme(link, directoryPrefix_);
}

std::string CompanyKeyer::KeyOf(const std::string& link) const {
    const std::optional<Url> url = Url::Parse(link);
    if (url && url->IsHttp() && !url->Host().empty() && IsMemberSite(url->Href()))
        return std::string(kMemberKeyPrefix) + std::string(url->HostPort());
    return CanonicalLink(link);
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
    const std::optional<Url> url = Url::Parse(rules.searchBaseUrl);
    if (!url || url->Host().empty()) return rules.searchBaseUrl;
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
