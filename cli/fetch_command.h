#pragma once

#include <string>

#include "cli/common_options.h"

// harvio-cli fetch: one page request as the engine makes it.
struct FetchOptions {
    CommonOptions common;
    std::string url;
    std::string outFile;  // empty: standard output
};

CLI::App* AddFetchCommand(CLI::App& app, FetchOptions& options);
int RunFetch(const FetchOptions& options);
