#include "app/skin_path.h"

std::string g_skinDirectory;

std::string SkinDirectoryOf(const std::string& programPath) {
    const size_t lastSeparator = programPath.rfind('/');
    return lastSeparator == std::string::npos ? std::string() : programPath.substr(0, lastSeparator);
}

std::string SkinFilePath(const std::string& skinDirectory) {
    return skinDirectory + "/QQ2009.she";
}
