#pragma once

#include <array>

// The fixed entries of the condition boxes (UTF-8), in the order the directory lists them.
// The first entry of each list, like the province list's "所有省份" and the city list's
// "所有城市", means no filter.
extern const std::array<const char*, 41> kIndustryEntries;
extern const std::array<const char*, 5> kBusinessModelEntries;

inline constexpr char kAllProvincesEntry[] = "所有省份";
inline constexpr char kAllCitiesEntry[] = "所有城市";
inline constexpr char kAllIndustriesEntry[] = "所有行业";
inline constexpr char kAllBusinessModelsEntry[] = "全部";
