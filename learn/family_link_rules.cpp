#include "learn/family_link_rules.h"

#include <algorithm>
#include <boost/regex.hpp>

#include "engine/rule_search.h"
#include "learn/link_patterns.h"

bool RulesTellFamilies(const ExtractionRules& rules) {
    return !rules.companySitePrefix.empty() || !rules.detailPrefix.empty() ||
           !rules.directoryPrefix.empty() || rules.companySiteLinkReg || rules.generalLinkReg;
}

bool LooksLikeMemberSite(const Url& url) {
    const std::string_view path = url.Path();
    if (path == "/") return true;
    const std::size_t second = path.find('/', 1);
    return second != std::string_view::npos && second + 1 == path.size();
}

namespace {

std::string HostPattern(const std::set<std::string>& hosts) {
    std::string alternatives;
    for (const std::string& host : hosts)
        alternatives += (alternatives.empty() ? "" : "|") + Literal(host, "", false);
    return hosts.size() == 1 ? alternatives : "(?:" + alternatives + ")";
}

std::string FirstSegment(const Url& url) {
    const std::string_view path = url.Path();
    const std::size_t end = path.find('/', 1);
    return end == std::string_view::npos ? std::string() : std::string(path.substr(1, end - 1));
}

}  // namespace

std::string GeneralLinkPattern(const std::vector<Url>& general, const std::vector<Url>& members) {
    if (general.empty()) return {};
    std::set<std::string> hosts, folders;
    for (const Url& url : general) {
        hosts.insert(std::string(url.Host()));
        folders.insert(FirstSegment(url));
    }
    const std::string start = "^https?://" + HostPattern(hosts) + "/";
    for (const std::string& candidate : {folders.size() == 1 && !folders.begin()->empty()
                                             ? start + Literal(*folders.begin(), "", false) + "/"
                                             : std::string(),
                                         start}) {
        if (candidate.empty()) continue;
        const boost::regex pattern(candidate, boost::regex::perl | boost::regex::icase);
        const bool marksMember = std::any_of(members.begin(), members.end(), [&](const Url& url) {
            return MatchesAnywhere(pattern, url.Href());
        });
        if (!marksMember) return candidate;
    }
    return {};
}

std::string MemberIdPattern(const std::vector<Url>& members) {
    std::set<std::string> hosts, links, ids;
    for (const Url& url : members) {
        hosts.insert(std::string(url.Host()));
        links.insert(std::string(url.HrefWithoutFragment().substr(0, url.HrefWithoutFragment().find('?'))));
        ids.insert(FirstSegment(url));
    }
    // Each member's folder its own: as many folders as members, two at least to tell them apart.
    if (hosts.size() != 1 || links.size() < 2 || ids.size() < links.size() || ids.count("")) return {};
    return "//" + Literal(*hosts.begin(), "", false) + "/([^/?#]+)";
}

const char* CompanyLinkKey(CompanyFamily family) {
    switch (family) {
        case CompanyFamily::memberSite:
            return "validateCompReg";
        case CompanyFamily::companySite:
            return "CompReg";
        default:
            return "generalCompReg";
    }
}
