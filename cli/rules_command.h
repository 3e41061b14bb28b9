#pragma once

#include <string>
#include <vector>

#include "cli/common_options.h"

// harvio-cli rules: applies the rules to saved pages exactly as the engine does, so that a rules
// file can be checked against the site's pages without a search.
struct RulesOptions {
    CommonOptions common;
    std::string family;                             // member, general or company
    std::string listPage;                           // a saved result page
    std::string link = "http://saved-page.local/";  // the company link the pages belong to
    std::vector<std::string> pages;                 // home, contact, introduction [, time, confirmation]
                                                    // or one folder that `capture` filled
    std::vector<std::string> parentFolders;         // --dir: every captured company folder in them
    bool check = false;                             // --check: the rules file itself
    std::string format = "fields";                  // or jsonl, the search's JSON lines
};

CLI::App* AddRulesCommand(CLI::App& app, RulesOptions& options);
int RunRules(const RulesOptions& options);
