#include "http/response_parser.h"

#include <algorithm>

namespace {

constexpr char kLineFeed = '\n';
constexpr char kCarriageReturn = '\r';
constexpr std::string_view kNameSeparator = ": ";
// Status codes have three digits; more are cut off so that the number cannot overflow.
constexpr int kStatusCodeDigitLimit = 9;
constexpr int kFirstInterimStatus = 100;
constexpr int kFirstFinalStatus = 200;

// The line at `at` without its line end, and where the next line starts (npos: no line end).
std::string_view LineAt(std::string_view text, std::size_t at, std::size_t& next) {
    const std::size_t feed = text.find(kLineFeed, at);
    std::string_view line =
        text.substr(at, feed == std::string_view::npos ? std::string_view::npos : feed - at);
    if (!line.empty() && line.back() == kCarriageReturn && feed != std::string_view::npos)
        line.remove_suffix(1);
    next = feed == std::string_view::npos ? std::string_view::npos : feed + 1;
    return line;
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// A Content-Length of digits alone that fits; anything else counts as none.
std::optional<std::size_t> ParseContentLength(std::string_view text) {
    if (text.empty()) return std::nullopt;
    std::size_t length = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        const auto digit = static_cast<std::size_t>(c - '0');
        if (length > (static_cast<std::size_t>(-1) - digit) / 10) return std::nullopt;
        length = length * 10 + digit;
    }
    return length;
}

}  // namespace

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

const std::string* FindHeader(const HeaderTable& headers, std::string_view name) {
    for (const auto& [headerName, value] : headers) {
        if (SameTextIgnoringCase(headerName, name)) return &value;
    }
    return nullptr;
}

bool IsInterimStatus(int statusCode) {
    return statusCode >= kFirstInterimStatus && statusCode < kFirstFinalStatus;
}

int ParseStatusCode(std::string_view statusLine) {
    const std::size_t space = statusLine.find(' ');
    if (space == std::string_view::npos) return 0;
    std::size_t at = space + 1;
    while (at < statusLine.size() && (statusLine[at] == ' ' || statusLine[at] == '\t')) ++at;
    int code = 0;
    for (int digits = 0; at < statusLine.size() && digits < kStatusCodeDigitLimit; ++at, ++digits) {
        const char c = statusLine[at];
        if (c < '0' || c > '9') break;
        code = code * 10 + (c - '0');
    }
    return code;
}

void ParseHeaderLines(std::string_view lines, HeaderTable& headers) {
    for (std::size_t at = 0; at != std::string_view::npos && at < lines.size();) {
        const std::string_view line = LineAt(lines, at, at);
        const std::size_t separator = line.find(kNameSeparator);
        if (separator == std::string_view::npos) continue;
        const std::string_view name = line.substr(0, separator);
        const std::string_view value = line.substr(separator + kNameSeparator.size());
        std::string& stored = headers[std::string(name)];
        if (name == "Set-Cookie" && !stored.empty()) stored.push_back(';');
        stored.append(value);
    }
}

std::size_t FindBodyStart(std::string_view response) {
    std::size_t next = 0;
    LineAt(response, 0, next);  // the status line
    while (next != std::string_view::npos) {
        const std::size_t lineStart = next;
        if (LineAt(response, lineStart, next).empty() && next != std::string_view::npos) return next;
    }
    return std::string_view::npos;
}

bool ParseResponse(std::string_view response, ParsedResponse& parsed) {
    const std::size_t bodyStart = FindBodyStart(response);
    if (bodyStart == std::string_view::npos) return false;
    parsed.bodyStart = bodyStart;

    std::size_t linesStart = 0;
    parsed.statusCode = ParseStatusCode(LineAt(response, 0, linesStart));
    parsed.headers.clear();
    ParseHeaderLines(response.substr(linesStart, bodyStart - linesStart), parsed.headers);

    parsed.location.clear();
    parsed.chunked = false;
    parsed.contentLength.reset();
    if (const std::string* location = FindHeader(parsed.headers, "Location")) parsed.location = *location;
    if (const std::string* coding = FindHeader(parsed.headers, "Transfer-Encoding")) {
        std::string lower(*coding);
        std::transform(lower.begin(), lower.end(), lower.begin(), LowerAscii);
        parsed.chunked = lower.find("chunked") != std::string::npos;
    }
    if (const std::string* length = FindHeader(parsed.headers, "Content-Length")) {
        parsed.contentLength = ParseContentLength(*length);
    }
    return true;
}
