#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "cli/example_values_file.h"
#include "engine/extraction_rules.h"
#include "learn/profile_learner.h"

// The result-page side of `learn`: folders that `capture --keyword` wrote, and the rules learned
// from them with the company names the values file gives.

// Whether `capture --keyword` wrote the folder: it holds "result-page-1.html".
bool IsResultPageFolder(const std::string& folder);

// Every 公司名称 value of the values file, in its order (GBK): the names of companies that the
// result pages list.
std::vector<std::string> CompanyNamesGiven(const std::vector<ExampleValues>& given);

// The company-link, family and next-page rules learned from the result pages of the folders and
// the names, their hit table printed on the stream (per result page what each rule gives), and
// the names no result page shows, or shows ambiguously, on stderr.
std::vector<FieldEvidence> LearnResultPageRules(const std::vector<std::string>& folders,
                                                const std::vector<std::string>& companyNames,
                                                const ExtractionRules& base, std::FILE* stream);
