#include "ui/search/text_lines.h"

#include <fstream>

#include "platform/program_paths.h"

std::vector<std::string> ReadTextLines(const std::string& path) {
    std::vector<std::string> lines;
    if (path.empty()) return lines;
    std::ifstream file(path, std::ios::binary);
    std::string line;
    while (std::getline(file, line)) {
        // The list is written on either system: a CR before the LF is part of the break.
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<std::string> LoadProvinceList() {
    return ReadTextLines(ProvinceListPath());
}
