#pragma once

#include <optional>
#include <string>
#include <vector>

// The sites Harvio can search: the program's own rules file (reg.alibaba) first, then every site
// profile (see SiteProfileFiles), each a rules file that names its site by a "siteName" line.
struct SiteProfile {
    std::string name;      // the siteName (GBK); without one, the default name or the file's name
    std::string fileName;  // "demo-modern" for ".../sites/demo-modern.rules"
    std::string path;
};

// The name of reg.alibaba's site when the file gives none (GBK).
extern const char* const kDefaultSiteName;

std::vector<SiteProfile> ListSiteProfiles();

// The profile a user names, by its siteName or its file name (with or without its ending).
std::optional<SiteProfile> FindSiteProfile(const std::vector<SiteProfile>& profiles, const std::string& name);
