#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The result pages of a query harvio-cli captured of the demo directory, and company names from
// the query's truth, for tests that learn from them. (Apart from the demo support, whose file
// reader's name the engine's shares.)
struct CapturedDemoPages {
    std::string folder;              // empty when the capture failed
    std::vector<std::string> names;  // GBK, of the first truth rows that show one
};

CapturedDemoPages CaptureDemoResultPages(const std::vector<std::string>& demoOptions,
                                         const std::string& profile, const std::string& utf8Keyword,
                                         std::size_t nameCount);
