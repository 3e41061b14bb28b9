#pragma once

#include <boost/regex.hpp>
#include <cstddef>
#include <string>
#include <string_view>

// Searches with rule patterns. No exception leaves them: a search that Boost.Regex gives up on
// (its complexity limit on a pathological pattern) counts as no match.

// The first match in the text; its sub-match 1 into capture. False (capture untouched) without.
bool FindFirstCapture(const boost::regex& pattern, std::string_view text, std::string& capture);

// Repeated search: the next match at or after position; on a match, capture gets sub-match 1 and
// position moves to the end of the whole match, at least one byte on, so that a pattern that
// matches the empty text still advances.
bool FindNextCapture(const boost::regex& pattern, std::string_view text, std::size_t& position,
                     std::string& capture);

// Whether the pattern matches anywhere in the text.
bool MatchesAnywhere(const boost::regex& pattern, std::string_view text);
