#include "http/cookie_date.h"

#include <gtest/gtest.h>

namespace {

constexpr std::int64_t kNov6Of1994 = 784111777;  // Sun, 06 Nov 1994 08:49:37 GMT

// RFC 6265 section 5.1.1: date-tokens are split at delimiters; the first token that matches the
// time, day-of-month, month and year productions (in that order of trial) gives each value;
// two-digit years 70-99 are 19xx and 00-69 are 20xx; a missing part, a value out of range, a
// year before 1601 or a date that does not exist fails.
TEST(CookieDateTest, DatesReadAsTheCookieDateAlgorithmReadsThem) {
    const struct {
        const char* text;
        std::optional<std::int64_t> seconds;
    } cases[] = {
        // The three forms of HTTP dates, and what servers make of them.
        {"Sun, 06 Nov 1994 08:49:37 GMT", kNov6Of1994},
        {"Sunday, 06-Nov-94 08:49:37 GMT", kNov6Of1994},
        {"Sun Nov  6 08:49:37 1994", kNov6Of1994},
        {"06 Nov 1994 08:49:37", kNov6Of1994},
        {"Sun,06-Nov-1994 08:49:37 GMT", kNov6Of1994},
        {"1994 NOVEMBER 06 08:49:37 UTC+8", kNov6Of1994},
        {"\t6th nov 1994 08:49:37GMT\t", kNov6Of1994},
        {"6 Nov 1994 8:9:7", 784109347},
        // A token of a production already found is passed over.
        {"08:49:37 06 Nov 1994 12:00:00 07 Dec 2001", kNov6Of1994},
        // Two-digit years.
        {"06 Nov 70 00:00:00", 26697600},
        {"01 Jan 69 00:00:00", 3124224000},
        {"01 Jan 00 00:00:00", 946684800},
        // The edges of the ranges.
        {"01 Jan 1601 00:00:00", -11644473600},
        {"31 Dec 9999 23:59:59", 253402300799},
        {"19 Jan 2038 03:14:08", 2147483648},
        {"29 Feb 2024 00:00:00", 1709164800},
        {"31 Dec 1600 23:59:59", std::nullopt},
        {"06 Nov 994 08:49:37", std::nullopt},
        {"29 Feb 2023 00:00:00", std::nullopt},
        {"30 Feb 2024 00:00:00", std::nullopt},
        {"31 Apr 2024 00:00:00", std::nullopt},
        {"32 Nov 1994 08:49:37", std::nullopt},
        {"00 Nov 1994 08:49:37", std::nullopt},
        {"06 Nov 1994 24:00:00", std::nullopt},
        {"06 Nov 1994 23:60:00", std::nullopt},
        {"06 Nov 1994 23:59:60", std::nullopt},
        // A missing part, or a token that matches no production.
        {"06 Nov 1994", std::nullopt},
        {"06 1994 08:49:37", std::nullopt},
        {"Nov 1994 08:49:37", std::nullopt},
        {"06 Nov 08:49:37", std::nullopt},
        {"06 Nov 19940 08:49:37", std::nullopt},
        {"06 No 1994 08:49:37", std::nullopt},
        {"06 Nov 1994 08:49:370", std::nullopt},
        {"06 Nov 1994 08:49", std::nullopt},
        {"", std::nullopt},
        {"never", std::nullopt},
    };
    for (const auto& date : cases) {
        EXPECT_EQ(ParseCookieDate(date.text), date.seconds) << '"' << date.text << '"';
    }
}

}  // namespace
