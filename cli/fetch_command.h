#pragma once

#include <string>
#include <vector>

#include "cli/common_options.h"

// harvio-cli fetch: page requests as the engine makes them, one after the other through one
// client, so that the cookies of a page go with the next and its connection carries the next.
struct FetchOptions {
    CommonOptions common;
    std::vector<std::string> urls;
    std::string outFile;  // empty: standard output
};

CLI::App* AddFetchCommand(CLI::App& app, FetchOptions& options);
int RunFetch(const FetchOptions& options);
