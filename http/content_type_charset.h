#pragma once

#include <optional>
#include <string>
#include <string_view>

// The value of the charset parameter of a Content-Type header value, read as a MIME type is parsed
// (the MIME Sniffing standard's "parse a MIME type"): the parameter's name in any case, its value
// quoted (with backslash escapes) or not, the first valid charset parameter counting. None when
// the header names no charset, or is no valid MIME type.
std::optional<std::string> ContentTypeCharset(std::string_view contentType);
