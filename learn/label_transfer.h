#pragma once

#include <string>
#include <string_view>
#include <vector>

// A family of pages that writes a field's label in markup of its own (a heading where the other
// families have a table cell): the rules that read what follows the label there, built in the
// style of the learned rules, for the learner to try on that family's companies.

// The label texts a learned label rule holds literally (its text between tags, blanks and
// escapes taken out), as value keys.
std::vector<std::string> RuleLabelKeys(std::string_view pattern);

// For each place in a cleaned text where a text between tags is one of the labels (value keys)
// and a value follows the label's closing tag, as the next element's text or as a text of its
// own: the rule from the tag before the label to the value's end.
std::vector<std::string> RulesAfterLabel(std::string_view text, const std::vector<std::string>& labelKeys,
                                         bool captureSpansTags);
