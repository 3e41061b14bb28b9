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
    // One entry per header name (names compared without regard to case, spelled as first sent),
    // values without the blanks around them. Repeated lines are joined with ", "; Set-Cookie lines
    // with a line feed, since a comma or ";" could belong to a cookie; Content-Type holds the
    // last non-empty line, as browsers take it.
    HeaderTable headers;
    std::size_t bodyStart = 0;  // the byte after the blank line that ends the header block
    std::string location;       // the Location value; empty when there is none
    // Every Set-Cookie value on its own, in the order received: the header table joins them.
    std::vector<std::string> setCookieLines;
    bool chunked = false;  // chunked is the last transfer coding
    // The length the body ends at: none with a transfer coding, 0 for a 1xx, 204 or 304.
    std::optional<std::size_t> contentLength;
    // Lower-cased, in the order the server applied them; chunked is not among the transfer codings.
    std::vector<std::string> transferCodings;
    std::vector<std::string> contentCodings;
    // Whether the connection may carry another request once this response's body is read: an
    // HTTP/1.1 response without "Connection: close", an HTTP/1.0 one with "keep-alive", and
    // either only when its framing is beyond doubt.
    bool persistent = false;
    // Why the head cannot be taken as one response: it is malformed, or it could be read two ways
    // (a server and a proxy might disagree on where the response ends, which response splitting
    // relies on); null when it can.
    const char* framingFault = nullptr;
};

// False when no blank line ends the header block; the response then has no usable parts. A head
// that is malformed or can be read two ways names its fault in framingFault.
bool ParseResponse(std::string_view response, ParsedResponse& parsed);

// Finds the blank line that ends a head while the head arrives, looking at each byte once. The
// first line is always the status line, even when it is empty.
class ResponseHeadEnd {
public:
    // `received` is the response so far; it only ever grows between calls. The body start once
    // the blank line is in, npos until then.
    std::size_t Find(std::string_view received);

private:
    std::size_t scanned_ = 0;    // the bytes already looked at
    std::size_t lineStart_ = 0;  // the start of the line under way
    bool pastStatusLine_ = false;
    std::size_t bodyStart_ = std::string_view::npos;
};

// The body start of a complete response, or npos when its header block is not complete.
std::size_t FindBodyStart(std::string_view response);

// Interim responses (100 Continue, 103 Early Hints...) precede the real one.
bool IsInterimStatus(int statusCode);

// The status code of a status line "HTTP/1.x NNN", followed by a blank and a reason or by
// nothing; none when the line is not one.
std::optional<int> ParseStatusCode(std::string_view statusLine);

// The value of the header whose name equals `name` without regard to ASCII case; null when there
// is none.
const std::string* FindHeader(const HeaderTable& headers, std::string_view name);

// Whether the texts are equal without regard to ASCII case.
bool SameTextIgnoringCase(std::string_view a, std::string_view b);
