#pragma once

#include <string>

#include "engine/company_record.h"

// A record as one line of UTF-8 JSON: validate and the 49 fields under their names.
std::string JsonLine(const CompanyRecord& record);

// A GBK text as UTF-8 for printing on one line: backslash, tab, CR and LF escaped as \\ \t \r \n.
std::string PrintableValue(const std::string& gbkText);
