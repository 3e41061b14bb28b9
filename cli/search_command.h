#pragma once

#include <string>

#include "cli/common_options.h"

// harvio-cli search: one search as the window runs it, the companies written as they arrive.
struct SearchOptions {
    CommonOptions common;
    std::string keyword;
    std::string province;
    std::string city;
    std::string industry;
    std::string bizType;
    std::string outFile;  // empty: standard output
    std::string format = "csv";
    bool stats = false;   // the rule health table on stderr after the search
    bool noBook = false;  // neither read nor write the lead book
    int reuseDays = -1;   // -1: the settings file's reuseDays
};

CLI::App* AddSearchCommand(CLI::App& app, SearchOptions& options);
int RunSearch(const SearchOptions& options);
