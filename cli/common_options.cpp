#include "cli/common_options.h"

#include <CLI/CLI.hpp>
#include <cstdio>

#include "cli/gbk_text.h"
#include "engine/rules_file.h"
#include "engine/site_profiles.h"
#include "http/connect_to_map.h"
#include "http/cookie_jar.h"
#include "http/http_client.h"
#include "http/proxy_settings.h"
#include "http/tls_trust.h"
#include "http/user_agent.h"
#include "platform/program_paths.h"

namespace {

// The site profile --site names; none (the names there are on stderr) when it names none.
std::optional<SiteProfile> NamedSite(const std::string& utf8Name) {
    const std::vector<SiteProfile> profiles = ListSiteProfiles();
    if (std::optional<SiteProfile> found = FindSiteProfile(profiles, Utf8ToGbk(utf8Name))) return found;
    std::fprintf(stderr, "--site: no site is named %s; the sites are:\n", utf8Name.c_str());
    for (const SiteProfile& profile : profiles) {
        std::fprintf(stderr, "  %-20s %s  (%s)\n", profile.fileName.c_str(), GbkToUtf8(profile.name).c_str(),
                     profile.path.c_str());
    }
    return std::nullopt;
}

}  // namespace

void CommonOptions::AddTo(CLI::App& command) {
    CLI::Option* rules = command.add_option(
        "--rules", rulesFile,
        "rules file (default: config/reg.alibaba; installed: $XDG_CONFIG_HOME/harvio/reg.alibaba, "
        "else the shipped one)");
    command
        .add_option("--site", site,
                    "search the site of this profile (config/sites/NAME.rules), by its file name or "
                    "its siteName")
        ->excludes(rules);
    command.add_option("--proxy", proxy, "HTTP proxy HOST:PORT");
    command.add_option("--connect-to", connectTo,
                       "HOST1:PORT1:HOST2:PORT2, connect there instead; an IPv6 host in brackets "
                       "([::1]) (repeatable)");
    command.add_option("--cacert", caFile,
                       "CA certificate file (PEM) trusted for https besides the system's");
    command.add_option("--user-agent", userAgent,
                       "User-Agent text of every request (default: a desktop browser)");
}

bool CommonOptions::Apply() const {
    if (!site.empty() && !NamedSite(site)) return false;
    if (!proxy.empty()) {
        const std::size_t colon = proxy.rfind(':');
        if (colon == std::string::npos || colon == 0 || colon + 1 == proxy.size()) {
            std::fprintf(stderr, "--proxy needs HOST:PORT, not %s\n", proxy.c_str());
            return false;
        }
        proxyAddress.Set(proxy.substr(0, colon));
        proxyPortText.Set(proxy.substr(colon + 1));
        useProxy = 1;
    }
    for (const std::string& rule : connectTo) {
        if (!AddConnectTo(rule)) {
            std::fprintf(stderr, "--connect-to needs HOST1:PORT1:HOST2:PORT2, not %s\n", rule.c_str());
            return false;
        }
    }
    if (!caFile.empty()) {
        std::FILE* file = std::fopen(caFile.c_str(), "r");
        if (file == nullptr) {
            std::fprintf(stderr, "--cacert: cannot read %s\n", caFile.c_str());
            return false;
        }
        std::fclose(file);
    }
    SetExtraCaFile(caFile);
    if (!userAgent.empty() && !SetUserAgent(userAgent)) {
        std::fprintf(stderr, "--user-agent must not hold control characters\n");
        return false;
    }
    return true;
}

std::string CommonOptions::RulesPath() const {
    if (!site.empty()) {
        if (std::optional<SiteProfile> profile = FindSiteProfile(ListSiteProfiles(), Utf8ToGbk(site)))
            return profile->path;
    }
    return rulesFile.empty() ? RulesFilePath() : rulesFile;
}

bool CommonOptions::LoadRules(ExtractionRules& rules) const {
    const std::string path = RulesPath();
    if (LoadRulesFile(path, rules)) return true;
    std::fprintf(stderr, "the rules file %s could not be read\n", path.c_str());
    return false;
}

std::unique_ptr<HttpClient> MakeRunClient() {
    auto client = std::make_unique<HttpClient>(CurrentProxySetting());
    client->SetCookieJar(std::make_shared<CookieJar>());
    return client;
}
