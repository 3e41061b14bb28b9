#pragma once

#include <string>
#include <vector>

#include "engine/captured_company.h"

// A captured company as the rules wizard lists it: the folder `capture` wrote it into.
struct OpenedCompany {
    std::string folder;
    CapturedCompany company;
};

// The captured companies a folder holds: the folder itself when it is one, else each of its
// sub-folders that is one, by name (numbers by their value). Other sub-folders and files are passed over.
std::vector<OpenedCompany> ReadCapturedCompanies(const std::string& folder);
