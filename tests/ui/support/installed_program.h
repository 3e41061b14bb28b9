#pragma once

#include <filesystem>

#include "support/scoped_environment.h"
#include "support/temp_dir.h"

// The program as installed, for one test: PREFIX/bin as the program directory, the shipped
// rules, province list and settings read-only in PREFIX/share/harvio, and a home of its own (HOME
// and the XDG folders, no xdg-user-dir in PATH). Everything is restored when it goes.
class InstalledProgram {
public:
    InstalledProgram();
    ~InstalledProgram();
    InstalledProgram(const InstalledProgram&) = delete;
    InstalledProgram& operator=(const InstalledProgram&) = delete;

    std::filesystem::path Shipped() const { return dir.Path() / "prefix" / "share" / "harvio"; }
    std::filesystem::path Home() const { return dir.Path() / "home"; }
    std::filesystem::path UserConfig() const { return Home() / ".config" / "harvio"; }
    std::filesystem::path Documents() const { return Home() / "Documents" / "Harvio"; }

private:
    ScopedEnvironment environment{"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "PATH"};
    TempDir dir;
};
