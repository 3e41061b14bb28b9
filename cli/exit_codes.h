#pragma once

// The tool's exit codes, for scripts.
inline constexpr int kExitOk = 0;
inline constexpr int kExitNoRecord = 1;       // rules: the saved pages give no company
inline constexpr int kExitUsage = 2;          // malformed command line or unreadable input file
inline constexpr int kExitNotStarted = 3;     // no search: no condition, no rules, page 1 not read
inline constexpr int kExitFetchFailed = 4;    // fetch: the request failed
inline constexpr int kExitSiteChanged = 5;    // search --stats: the window would warn of a changed site
inline constexpr int kExitRulesFindings = 6;  // rules --check: the rules file is not clean
inline constexpr int kExitBookTrouble = 7;    // the lead book could not be opened or written
