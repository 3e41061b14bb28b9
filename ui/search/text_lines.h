#pragma once

#include <string>
#include <vector>

// The lines of a text file in order, each without its line break ("\n" or "\r\n"); an empty
// line is an empty entry, a last line without a break counts. An empty path, or a file that
// can't be opened, gives an empty list.
std::vector<std::string> ReadTextLines(const std::string& path);

// The region list: the lines of "Province.txt" (GBK) where ProvinceListPath() finds it.
std::vector<std::string> LoadProvinceList();
