#pragma once

#include <string>
#include <vector>

#include "engine/extraction_rules.h"

// The rules workbench of `harvio-cli rules`.

// --check: every finding of the rules file on standard output, one line each; the exit status
// is 0 only when there is none.
int RunRulesCheck(const std::string& rulesPath);

// --dir: every captured company folder in the parents (a parent that is a captured company
// itself counts as one), in name order: a "company<TAB>folder" line and the company as `rules`
// prints one; at the end the rule health table and the label rules' hit table on standard error.
int RunRulesOnFolders(const ExtractionRules& rules, const std::vector<std::string>& parents,
                      const std::string& format);
