#include "platform/settings_value.h"

#include <charconv>
#include <fstream>

namespace {

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

std::optional<std::string> ReadTopLevelSetting(const std::string& path, const std::string& key) {
    std::ifstream file(path);
    std::optional<std::string> value;
    for (std::string line; std::getline(file, line);) {
        line = Trimmed(line);
        if (line.starts_with('[')) break;
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos || Trimmed(line.substr(0, equals)) != key) continue;
        value = Trimmed(line.substr(equals + 1));
    }
    return value;
}

// A missing, empty or malformed value keeps the default; 0 means every company is read.
int ConfiguredReuseDays(const std::string& settingsPath) {
    const std::optional<std::string> text = ReadTopLevelSetting(settingsPath, "reuseDays");
    int days = kDefaultReuseDays;
    if (!text || text->empty()) return days;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), days);
    if (error != std::errc() || end != text->data() + text->size() || days < 0) return kDefaultReuseDays;
    return days;
}
