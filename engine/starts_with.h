#pragma once

#include <string_view>

// True when text begins with every byte of prefix (case-sensitive; false when prefix is longer).
// Takes NUL-terminated texts as well as views.
inline bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.starts_with(prefix);
}
