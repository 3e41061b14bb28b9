#pragma once

#include <string>

#include "cli/common_options.h"

// harvio-cli capture: saves a company's pages as a search reads them (or, with query options,
// the result pages of the query) into a folder that `rules` reads as it is.
struct CaptureOptions {
    CommonOptions common;
    std::string link;
    std::string outFolder;
    std::string keyword;
    std::string province;
    std::string city;
    std::string industry;
    std::string bizType;
    bool follow = false;  // also the pages of the company's host its home page links to
};

CLI::App* AddCaptureCommand(CLI::App& app, CaptureOptions& options);
int RunCapture(const CaptureOptions& options);
