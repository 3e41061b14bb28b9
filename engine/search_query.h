#pragma once

#include <cstdint>
#include <string>

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
