#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"

// This build installed with `cmake --install` into a fresh prefix that is then made read-only,
// beside an empty home for the ordinary user that tries it: as a new user meets the program
// installed where Linux programs live.
class InstalledTree {
public:
    InstalledTree();
    ~InstalledTree();
    InstalledTree(const InstalledTree&) = delete;
    InstalledTree& operator=(const InstalledTree&) = delete;

    bool Installed() const { return installed; }
    const std::string& InstallOutput() const { return installOutput; }

    std::filesystem::path Prefix() const { return dir.Path() / "prefix"; }
    std::filesystem::path Program(const char* name) const { return Prefix() / "bin" / name; }
    std::filesystem::path Shipped() const { return Prefix() / "share" / "harvio"; }
    std::filesystem::path Home() const { return dir.Path() / "home"; }
    std::filesystem::path UserConfig() const { return Home() / "config" / "harvio"; }
    std::filesystem::path DataFolder() const { return Home() / "data" / "harvio"; }

    // The user's environment: HOME, XDG_CONFIG_HOME and XDG_DATA_HOME in the home, the system's
    // PATH, the offscreen window platform; then the extra "NAME=value" texts.
    std::vector<std::string> Environment(const std::vector<std::string>& extra = {}) const;

    // Every file of the prefix with its size and modification time, to show nothing was written.
    std::string PrefixSnapshot() const;

private:
    TempDir dir;
    bool installed = false;
    std::string installOutput;
};
