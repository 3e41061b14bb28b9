#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>

using HeaderTable = std::map<std::string, std::string>;

// What the client needs of a received response: everything before the body, read from the raw
// bytes alone so that it can be checked without a connection.
struct ParsedResponse {
    int statusCode = 0;
    HeaderTable headers;
    std::size_t bodyStart = 0;  // the byte after the blank line that ends the header block
    std::string location;       // the Location value as sent; empty when there is none
    bool chunked = false;
};

// False when no blank line ends the header block; the response then has no usable parts.
bool ParseResponse(std::string_view response, ParsedResponse& parsed);

// The decimal number after the first space of the status line; 0 when there is none.
int ParseStatusCode(std::string_view statusLine);

// Adds the header lines (without the status line) to the table. "Set-Cookie" values are joined
// with ";", values of any other repeated name are simply put together. Lines without ": " are
// skipped.
void ParseHeaderLines(std::string_view lines, HeaderTable& headers);
