#include "engine/same_host_links.h"

#include <optional>
#include <set>

#include "engine/captured_link.h"
#include "engine/page_anchors.h"
#include "http/url.h"

std::vector<std::string> SameHostLinks(std::string_view homeBody, const std::string& homeAddress,
                                       const std::string& askedAddress, std::size_t most) {
    std::vector<std::string> links;
    const std::optional<Url> home = Url::Parse(homeAddress);
    if (!home || most == 0) return links;
    std::set<std::string> seen;
    for (const std::string& self : {homeAddress, askedAddress}) {
        if (const std::optional<Url> url = Url::Parse(self)) seen.emplace(url->HrefWithoutFragment());
    }
    for (const PageAnchor& anchor : ReadPageAnchors(homeBody)) {
        const TagAttribute* href = anchor.Attribute("href");
        if (href == nullptr) continue;
        const std::optional<std::string> link = ResolveCapturedLink(href->value, homeAddress);
        const std::optional<Url> url = link ? Url::Parse(*link) : std::nullopt;
        if (!url || url->Host() != home->Host() || !seen.emplace(*link).second) continue;
        links.push_back(*link);
        if (links.size() == most) break;
    }
    return links;
}
