#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/search_condition.h"

// The directory's company-search addresses.

// Percent-encoding of a GBK text for the query: a space becomes "+", every byte from 0x80 up
// "%" and two lower-case hexadecimal digits; all other bytes stay as they are.
std::string UrlEncode(const std::string& text);

// Appends the condition segments and the page-1 suffix to address. False when no condition is
// set (no segment appended; the suffix is appended all the same).
bool BuildQuery(std::string& address, const SearchCondition& condition);

// Address of result page `page` (2 and up): the "p-1" of the page suffix of searchUrl replaced.
std::string ResultPageAddress(const std::string& searchUrl, uint32_t page);

// A site's own search address, given as a template: "{keyword}", "{province}", "{city}",
// "{industry}" and "{biztype}" stand for the conditions, "{page}" for the result page (from 1).
inline constexpr std::string_view kPagePlaceholder = "{page}";
enum class QueryCharset { gbk, utf8 };

// The charset the rules' queryCharset names: "GBK" (also when it names none) or "UTF-8"; none for
// any other name.
std::optional<QueryCharset> QueryCharsetNamed(std::string_view name);

// The template filled: each condition (plain GBK text) in the charset's bytes, percent-encoded
// for where it stands. In the query a blank is "+", in the path "%20"; every byte but letters,
// digits and "-._~" is escaped, so that "&", "#", "+", "/", "=" and "%" stay part of the value.
// A query parameter ("name={city}", between "?" or "&" and the next "&") or a path segment
// ("/{city}", up to the next "/") whose placeholder stands for an empty condition is left out
// whole, with its separator. None when no condition is set.
std::optional<std::string> FillSearchTemplate(std::string_view pattern, const SearchCondition& condition,
                                              QueryCharset charset, uint32_t page);

// The "{name}" parts of the template that stand for nothing the search knows ("{keywrod}").
std::vector<std::string> UnknownPlaceholders(std::string_view pattern);
