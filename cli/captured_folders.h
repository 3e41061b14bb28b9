#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/captured_company.h"

// A captured company and the folder `capture` wrote it into.
struct CapturedFolder {
    std::string folder;
    CapturedCompany company;
};

// The companies a folder names: itself when `capture` wrote a company into it, else every
// captured company folder in it, in name order. None (reason on stderr) when it can't be read.
std::optional<std::vector<CapturedFolder>> ReadCapturedFolders(const std::string& folder);
