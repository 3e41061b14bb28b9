#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "tools/demo-directory/demo_catalogue.h"

// One request for a result page of the company search.
struct DemoSearchRequest {
    DemoConditions conditions;  // UTF-8
    int page = 1;
};

// Reads a request target of the search host: "/company/" followed by the segments "k-", "_c-",
// "_province-…_showProvince-…", "_city-", "_biztype-" (each present only for a condition, the
// first without its "_"), then "_pageSize-40_p-N_n-y.html". Values are percent-decoded ("+" is a
// blank) and converted from GBK. None when the target has another shape or bytes that are not GBK.
std::optional<DemoSearchRequest> ParseSearchTarget(std::string_view target);

// "%xx" to its byte and "+" to a blank; every other byte unchanged.
std::string PercentDecode(std::string_view text);
