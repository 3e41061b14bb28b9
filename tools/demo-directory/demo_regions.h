#pragma once

#include <string>
#include <vector>

// The condition values that the search window offers, as UTF-8 text: the demo directory spreads
// its companies over exactly these, so that every choice in the window can find something.
struct DemoProvince {
    std::string name;
    std::vector<std::string> cities;  // empty for the four municipalities and the three regions
};

struct DemoIndustry {
    std::string name;
    std::vector<std::string> products;  // what its companies sell; keywords find these
};

const std::vector<DemoProvince>& DemoProvinces();
const std::vector<DemoIndustry>& DemoIndustries();     // the window's list without "所有行业"
const std::vector<std::string>& DemoBusinessModels();  // the window's list without "全部"
