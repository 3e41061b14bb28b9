#pragma once

#include <optional>
#include <string>

// The value of a key before any [section] of an ini file (harvio.ini), trimmed; none when the
// file or the key is missing.
std::optional<std::string> ReadTopLevelSetting(const std::string& path, const std::string& key);

// reuseDays: how many days a company read stays fresh enough to be taken from the lead book.
inline constexpr int kDefaultReuseDays = 30;
int ConfiguredReuseDays(const std::string& settingsPath);
