#pragma once

#include <string>

// The version the root CMakeLists.txt gives in project(... VERSION ...), read from the source
// tree that ctest names in HARVIO_SOURCE_DIR; empty when it cannot be read.
std::string ProjectVersion();
