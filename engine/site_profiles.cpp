#include "engine/site_profiles.h"

#include <filesystem>

#include "engine/rules_file.h"
#include "platform/program_paths.h"

const char* const kDefaultSiteName = "默认站点";

namespace {

SiteProfile ProfileOf(const std::string& path, const std::string& nameWithout) {
    const std::filesystem::path file(path);
    std::string name = ReadSiteName(path);
    if (name.empty()) name = nameWithout;
    return {name, file.stem().string(), path};
}

}  // namespace

std::vector<SiteProfile> ListSiteProfiles() {
    std::vector<SiteProfile> profiles = {ProfileOf(RulesFilePath(), kDefaultSiteName)};
    profiles.front().fileName = kRulesFileName;
    for (const std::string& path : SiteProfileFiles()) {
        profiles.push_back(ProfileOf(path, std::filesystem::path(path).stem().string()));
    }
    return profiles;
}

std::optional<SiteProfile> FindSiteProfile(const std::vector<SiteProfile>& profiles,
                                           const std::string& name) {
    for (const SiteProfile& profile : profiles) {
        if (profile.name == name || profile.fileName == name ||
            std::filesystem::path(profile.path).filename().string() == name)
            return profile;
    }
    return std::nullopt;
}
