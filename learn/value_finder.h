#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Finding a value as a person reads it in a page's cleaned text (GBK). A person does not see
// blanks of any kind (space, full-width space, &nbsp;), tags or scripts, so two texts are the same value
// when their other characters are the same, in order.

// The value's characters without blanks and tags: what two readings of one value share.
std::string ValueKey(std::string_view text);

// Where a value stands in a text: from its first to its last character, tags and blanks between
// its characters included.
struct ValueOccurrence {
    std::size_t begin = 0;
    std::size_t end = 0;
    bool spansTag = false;  // a tag stands between two of its characters
};

// Every place the value (given as its key) stands in the text, in text order, on character
// boundaries only; none for an empty key.
std::vector<ValueOccurrence> FindValue(std::string_view text, std::string_view key);
