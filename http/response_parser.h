#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using HeaderTable = std::map<std::string, std::string>;

// What the client needs of a received response: everything before the body, read from the raw
// bytes alone so that it can be checked without a connection. Lines end in CR LF or in a bare LF;
// a line that starts with a blank continues the header before it (obsolete folding).
struct ParsedResponse {
    int statusCode = 0;
    HeaderTable headers;
    std::size_t bodyStart = 0;  // the byte after the blank line that ends the header block
    std::string location;       // the Location value as sent; empty when there is none
    // Every Set-Cookie value on its own, in the order received: the header table joins them.
    std::vector<std::string> setCookieLines;
    bool chunked = false;  // chunked is the last transfer coding
    // The length the body ends at: none with a transfer coding, 0 for a 204 or 304.
    std::optional<std::size_t> contentLength;
    // Lower-cased, in the order the server applied them; chunked is not among the transfer codings.
    std::vector<std::string> transferCodings;
    std::vector<std::string> contentCodings;
    // Why the head could be read two ways (a server and a proxy might disagree on where the
    // response ends, which response splitting relies on); null when it cannot.
    const char* framingFault = nullptr;
};

// False when no blank line ends the header block; the response then has no usable parts. A head
// that can be read two ways still gives its parts, with the fault named in framingFault.
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
// skipped; folded lines are joined to their header's value with one space.
void ParseHeaderLines(std::string_view lines, HeaderTable& headers);

// The value of the first header whose name equals `name` without regard to ASCII case; null
// when there is none.
const std::string* FindHeader(const HeaderTable& headers, std::string_view name);

// Whether the texts are equal without regard to ASCII case.
bool SameTextIgnoringCase(std::string_view a, std::string_view b);
