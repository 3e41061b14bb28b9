#pragma once

#include <string>

// The tool's edge between the user's UTF-8 and the engine's GBK (read and written as GB18030, its
// superset, so that characters beyond GBK pass both ways). A byte sequence that does not
// convert becomes U+FFFD (towards UTF-8) or "?" (towards GBK), so that no text is cut short.
std::string Utf8ToGbk(const std::string& text);
std::string GbkToUtf8(const std::string& text);
