#include "support/project_version.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

std::string ProjectVersion() {
    const char* source = std::getenv("HARVIO_SOURCE_DIR");
    if (source == nullptr) return {};
    std::ifstream file(std::string(source) + "/CMakeLists.txt");
    std::ostringstream text;
    text << file.rdbuf();
    const std::string lists = text.str();
    const std::string marker = " VERSION ";
    const std::size_t project = lists.find("project(");
    const std::size_t version = lists.find(marker, project);
    if (project == std::string::npos || version == std::string::npos) return {};
    const std::size_t start = version + marker.size();
    return lists.substr(start, lists.find_first_of(" )", start) - start);
}
