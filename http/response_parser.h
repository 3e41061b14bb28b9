#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>

using HeaderTable = std::map<std::string, std::string>;

// What the client needs of a received response: everything before the body, read from the raw
// bytes alone so that it can be checked without a connection. Lines end in CR LF or in a bare LF.
struct ParsedResponse {
    int statusCode = 0;
    HeaderTable headers;
    std::size_t bodyStart = 0;  // the byte after the blank line that ends the header block
    std::string location;       // the Location value as sent; empty when there is none
    bool chunked = false;
    std::optional<std::size_t> contentLength;  // a plain decimal Content-Length, when there is one
};

// False when no blank line ends the header block; the response then has no usable parts.
bool ParseResponse(std::string_view response, ParsedResponse& parsed);

// Where the blank line that ends the header block ends (the body start), or npos when the block
// is not complete. The first line is always the status line, even when it is empty.
std::size_t FindBodyStart(std::string_view response);

// Interim responses (100 Continue, 103 Early Hints...) precede the real one.
bool IsInterimStatus(int statusCode);

// The decimal number after the first space of the status line; 0 when there is none.
int ParseStatusCode(std::string_view statusLine);

// Adds the header lines (without the status line) to the table. "Set-Cookie" values are joined
// with ";", values of any other repeated name are simply put together. Lines without ": " are
// skipped.
void ParseHeaderLines(std::string_view lines, HeaderTable& headers);

// The value of the first header whose name equals `name` without regard to ASCII case; null
// when there is none.
const std::string* FindHeader(const HeaderTable& headers, std::string_view name);

// Whether the texts are equal without regard to ASCII case.
bool SameTextIgnoringCase(std::string_view a, std::string_view b);
