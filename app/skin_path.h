#pragma once

#include <string>

// The skin directory: set once by the main window's set-up, read by whoever needs the skin.
extern std::string g_skinDirectory;

// The path the program was started by, cut before its last "/"; empty when it holds none.
std::string SkinDirectoryOf(const std::string& programPath);
// The skin file of a skin directory.
std::string SkinFilePath(const std::string& skinDirectory);
