#include "http/retry_after.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>
#include <vector>

namespace {

constexpr std::array<std::string_view, 12> kMonths = {"jan", "feb", "mar", "apr", "may", "jun",
                                                      "jul", "aug", "sep", "oct", "nov", "dec"};
// Two-digit years of RFC 850 dates: below this they are of the 2000s.
constexpr int kTwoDigitYearPivot = 70;
// Values beyond any wait worth reading; longer numbers are capped rather than overflowed.
constexpr long long kLongestSeconds = 1LL << 40;

// Splits the value into words of letters and numbers; the separators (",", "-", ":", " ") of
// the three date forms only divide them.
std::vector<std::string> Words(std::string_view value) {
    std::vector<std::string> words;
    std::string word;
    for (const char c : value) {
        if (std::isalnum(static_cast<unsigned char>(c))) {
            word.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
        } else if (!word.empty()) {
            words.push_back(std::move(word));
            word.clear();
        }
    }
    if (!word.empty()) words.push_back(std::move(word));
    return words;
}

bool Number(const std::string& word, int& number) {
    if (word.empty() || word.size() > 4) return false;
    number = 0;
    for (const char c : word) {
        if (c < '0' || c > '9') return false;
        number = number * 10 + (c - '0');
    }
    return true;
}

int Month(const std::string& word) {
    for (std::size_t i = 0; i < kMonths.size(); ++i) {
        if (word.substr(0, 3) == kMonths[i]) return static_cast<int>(i);
    }
    return -1;
}

// The date as seconds since the epoch, read in the C locale whatever the program's locale.
std::optional<std::time_t> ParseHttpDate(std::string_view value) {
    const std::vector<std::string> words = Words(value);
    // weekday, then day month year or (asctime) month day, then hour minute second, then year or zone.
    if (words.size() < 7) return std::nullopt;
    std::tm date{};
    int day = 0, year = 0, hour = 0, minute = 0, second = 0, month = Month(words[1]);
    const bool asctime = month >= 0;
    if (asctime) {
        if (!Number(words[2], day) || !Number(words[6], year)) return std::nullopt;
    } else {
        month = Month(words[2]);
        if (month < 0 || !Number(words[1], day) || !Number(words[3], year)) return std::nullopt;
    }
    const std::size_t clock = asctime ? 3 : 4;
    if (!Number(words[clock], hour) || !Number(words[clock + 1], minute) ||
        !Number(words[clock + 2], second)) {
        return std::nullopt;
    }
    if (year < 100) year += year < kTwoDigitYearPivot ? 2000 : 1900;
    date.tm_year = year - 1900;
    date.tm_mon = month;
    date.tm_mday = day;
    date.tm_hour = hour;
    date.tm_min = minute;
    date.tm_sec = second;
    return timegm(&date);
}

}  // namespace

std::optional<std::chrono::seconds> ParseRetryAfter(std::string_view value, std::time_t now) {
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
    if (value.empty()) return std::nullopt;
    if (value.find_first_not_of("0123456789") == std::string_view::npos) {
        long long seconds = 0;
        for (const char c : value) seconds = std::min(seconds * 10 + (c - '0'), kLongestSeconds);
        return std::chrono::seconds(seconds);
    }
    const std::optional<std::time_t> date = ParseHttpDate(value);
    if (!date) return std::nullopt;
    return std::chrono::seconds(*date > now ? *date - now : 0);
}
