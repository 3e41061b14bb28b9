#include "engine/rule_search.h"

#include <exception>

bool FindFirstCapture(const boost::regex& pattern, std::string_view text, std::string& capture) {
    std::size_t position = 0;
    return FindNextCapture(pattern, text, position, capture);
}

bool FindNextCapture(const boost::regex& pattern, std::string_view text, std::size_t& position,
                     std::string& capture) {
    if (position > text.size()) return false;
    // The bytes before position stay visible to "^", "\b" and look-behind, as in one search of the
    // whole text.
    const boost::match_flag_type flags = position > 0 ? boost::match_prev_avail : boost::match_default;
    boost::match_results<std::string_view::const_iterator> match;
    try {
        if (!boost::regex_search(text.begin() + position, text.end(), match, pattern, flags)) return false;
    } catch (const std::exception&) {
        return false;  // Boost gave up on the pattern (complexity or memory limit): no match
    }
    if (match[1].matched) {
        capture.assign(match[1].first, match[1].second);
    } else {
        capture.clear();
    }
    const std::size_t matchEnd = static_cast<std::size_t>(match[0].second - text.begin());
    position = match[0].length() == 0 ? matchEnd + 1 : matchEnd;
    return true;
}

bool MatchesAnywhere(const boost::regex& pattern, std::string_view text) {
    std::string ignored;
    return FindFirstCapture(pattern, text, ignored);
}
