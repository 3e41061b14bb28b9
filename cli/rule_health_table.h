#pragma once

#include <cstdio>

#include "engine/rule_counters.h"

// The rule health of a search (or of saved companies) as a table: every rule with the pages it
// was tried on, the pages it matched and the rate, the rules that never matched first; then
// every record field with the companies that got a value; then the window's site-change warning
// when it applies. Returns whether the warning applies.
bool PrintRuleHealth(std::FILE* out, const RuleHealthSnapshot& health);
