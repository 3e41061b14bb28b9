#include "http/cookie_date.h"

#include <array>
#include <vector>

namespace {

constexpr std::array<std::string_view, 12> kMonthNames = {"jan", "feb", "mar", "apr", "may", "jun",
                                                          "jul", "aug", "sep", "oct", "nov", "dec"};
constexpr int kFirstYear = 1601;
constexpr int kLastHour = 23;
constexpr int kLastMinuteOrSecond = 59;
constexpr int kLastDayOfMonth = 31;
constexpr std::int64_t kSecondsPerDay = 86400;

// delimiter = %x09 / %x20-2F / %x3B-40 / %x5B-60 / %x7B-7E
bool IsDelimiter(unsigned char c) {
    return c == 0x09 || (c >= 0x20 && c <= 0x2F) || (c >= 0x3B && c <= 0x40) || (c >= 0x5B && c <= 0x60) ||
           (c >= 0x7B && c <= 0x7E);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// date-token-list = date-token *( 1*delimiter date-token ); date-token = 1*non-delimiter
std::vector<std::string_view> DateTokens(std::string_view text) {
    std::vector<std::string_view> tokens;
    std::size_t start = 0;
    for (std::size_t at = 0; at <= text.size(); ++at) {
        if (at < text.size() && !IsDelimiter(static_cast<unsigned char>(text[at]))) continue;
        if (at > start) tokens.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    return tokens;
}

// Reads minDigits to maxDigits digits at `at`, which must be followed by the token's end or a
// non-digit: the `( non-digit *OCTET )` tail of the productions.
bool ReadDigits(std::string_view token, std::size_t& at, std::size_t minDigits, std::size_t maxDigits,
                int& number) {
    std::size_t count = 0;
    number = 0;
    while (at < token.size() && IsDigit(token[at]) && count < maxDigits) {
        number = number * 10 + (token[at++] - '0');
        ++count;
    }
    return count >= minDigits && (at == token.size() || !IsDigit(token[at]));
}

// time = hms-time ( non-digit *OCTET ); hms-time = time-field ":" time-field ":" time-field;
// time-field = 1*2DIGIT
bool MatchesTime(std::string_view token, int& hour, int& minute, int& second) {
    std::size_t at = 0;
    if (!ReadDigits(token, at, 1, 2, hour) || at == token.size() || token[at++] != ':') return false;
    if (!ReadDigits(token, at, 1, 2, minute) || at == token.size() || token[at++] != ':') return false;
    return ReadDigits(token, at, 1, 2, second);
}

// day-of-month = 1*2DIGIT ( non-digit *OCTET ); year = 2*4DIGIT ( non-digit *OCTET )
bool MatchesNumber(std::string_view token, std::size_t minDigits, std::size_t maxDigits, int& number) {
    std::size_t at = 0;
    return ReadDigits(token, at, minDigits, maxDigits, number);
}

// month = ( "jan" / "feb" / ... / "dec" ) *OCTET, without regard to case
bool MatchesMonth(std::string_view token, int& month) {
    if (token.size() < 3) return false;
    for (std::size_t index = 0; index < kMonthNames.size(); ++index) {
        bool same = true;
        for (std::size_t at = 0; at < 3; ++at) {
            const char lower =
                token[at] >= 'A' && token[at] <= 'Z' ? static_cast<char>(token[at] - 'A' + 'a') : token[at];
            same = same && lower == kMonthNames[index][at];
        }
        if (same) {
            month = static_cast<int>(index) + 1;
            return true;
        }
    }
    return false;
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

// Days from 1970-01-01 to the date of the proleptic Gregorian calendar.
std::int64_t DaysSinceEpoch(int year, int month, int day) {
    const std::int64_t y = month <= 2 ? year - 1 : year;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    constexpr std::int64_t kDaysFromYearZeroToEpoch = 719468;
    return era * 146097 + dayOfEra - kDaysFromYearZeroToEpoch;
}

}  // namespace

std::optional<std::int64_t> ParseCookieDate(std::string_view text) {
    int hour = 0, minute = 0, second = 0, dayOfMonth = 0, month = 0, year = 0;
    bool foundTime = false, foundDayOfMonth = false, foundMonth = false, foundYear = false;
    // 1. Parse the cookie-date into date-tokens. 2. Process each date-token in order; the first
    // sub-step whose production it matches takes it.
    for (const std::string_view token : DateTokens(text)) {
        if (!foundTime && MatchesTime(token, hour, minute, second)) {
            foundTime = true;
        } else if (!foundDayOfMonth && MatchesNumber(token, 1, 2, dayOfMonth)) {
            foundDayOfMonth = true;
        } else if (!foundMonth && MatchesMonth(token, month)) {
            foundMonth = true;
        } else if (!foundYear && MatchesNumber(token, 2, 4, year)) {
            foundYear = true;
        }
    }
    // 3. and 4. Two-digit years: 70 to 99 are of the 1900s, 0 to 69 of the 2000s.
    if (year >= 70 && year <= 99) {
        year += 1900;
    } else if (year >= 0 && year <= 69) {
        year += 2000;
    }
    // 5. Abort on a missing part or a value out of range.
    if (!foundTime || !foundDayOfMonth || !foundMonth || !foundYear) return std::nullopt;
    if (dayOfMonth < 1 || dayOfMonth > kLastDayOfMonth || year < kFirstYear || hour > kLastHour ||
        minute > kLastMinuteOrSecond || second > kLastMinuteOrSecond) {
        return std::nullopt;
    }
    // 6. Abort when no such date exists (30 February).
    if (dayOfMonth > DaysInMonth(year, month)) return std::nullopt;
    // 7. The date in UTC.
    return DaysSinceEpoch(year, month, dayOfMonth) * kSecondsPerDay + hour * 3600 + minute * 60 + second;
}
