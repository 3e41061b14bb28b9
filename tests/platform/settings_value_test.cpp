// reuseDays in harvio.ini: a missing file, key, empty or malformed value keeps the default of
// 30 days; only the keys before the first [section] count.

#include "platform/settings_value.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/temp_dir.h"

namespace {

TEST(SettingsValue, ReuseDaysFromTheIniFileOrTheDefault) {
    const struct {
        const char* name;
        const char* text;  // null: no file
        int days;
    } kCases[] = {
        {"no file", nullptr, 30},
        {"no key", "caFile=\nuserAgent=x\n", 30},
        {"the shipped value", "reuseDays=30\n", 30},
        {"always read", "reuseDays=0\n", 0},
        {"spaces and CR LF", "  reuseDays = 7 \r\n", 7},
        {"the last one counts", "reuseDays=5\nreuseDays=9\n", 9},
        {"empty", "reuseDays=\n", 30},
        {"negative", "reuseDays=-3\n", 30},
        {"not a number", "reuseDays=thirty\n", 30},
        {"a number and more", "reuseDays=12days\n", 30},
        {"too large", "reuseDays=99999999999\n", 30},
        {"in a section only", "[WebSearch]\nreuseDays=3\n", 30},
        {"a longer key", "reuseDaysLater=3\n", 30},
    };
    TempDir dir;
    for (const auto& test : kCases) {
        SCOPED_TRACE(test.name);
        const std::string path = dir.File(std::string(test.name) + ".ini").string();
        if (test.text != nullptr) std::ofstream(path, std::ios::binary) << test.text;
        EXPECT_EQ(ConfiguredReuseDays(path), test.days);
    }
}

}  // namespace
