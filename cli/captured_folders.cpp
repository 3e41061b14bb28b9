#include "cli/captured_folders.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

std::optional<std::vector<CapturedFolder>> ReadCapturedFolders(const std::string& folder) {
    std::vector<CapturedFolder> found;
    if (std::optional<CapturedCompany> company = ReadCapturedCompany(folder)) {
        found.push_back({folder, std::move(*company)});
        return found;
    }
    std::error_code error;
    std::vector<std::filesystem::path> folders;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.is_directory(error)) folders.push_back(entry.path());
    }
    if (error) {
        std::fprintf(stderr, "cannot read the folder %s: %s\n", folder.c_str(), error.message().c_str());
        return std::nullopt;
    }
    std::sort(folders.begin(), folders.end());
    for (const std::filesystem::path& path : folders) {
        if (std::optional<CapturedCompany> company = ReadCapturedCompany(path.string()))
            found.push_back({path.string(), std::move(*company)});
    }
    return found;
}
