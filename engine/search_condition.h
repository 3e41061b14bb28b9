#pragma once

#include <string>

// The five search conditions, GBK text; an empty text means no filter.
struct SearchCondition {
    std::string keyword;
    std::string province;
    std::string city;
    std::string industry;
    std::string bizType;
};
