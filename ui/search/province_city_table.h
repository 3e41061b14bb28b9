#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The built-in province and city table, GBK text: 34 province blocks in the directory's
// order, each ended by "*". A block is the province name; a province with a city list
// continues with ";所有城市;" and its cities joined by ";"; the four municipalities end with
// ";" and 香港, 澳门, 台湾 are the bare name.
extern const std::string_view ProvinceCityTable;

// The items of a text between separators; an item may be empty. Text after the last
// separator is one more item unless it is empty, so the last city of a block is offered.
std::vector<std::string> SplitItems(std::string_view text, char separator);

// The block of ProvinceCityTable whose first two GBK characters (four bytes) equal those of
// the province text; none for a text shorter than that or without a block.
std::optional<std::string> FindProvinceBlock(std::string_view provinceText);
