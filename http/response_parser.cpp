#include "http/response_parser.h"

#include <algorithm>

#include "http/body_codings.h"

namespace {

constexpr char kLineFeed = '\n';
constexpr char kCarriageReturn = '\r';
constexpr std::string_view kNameSeparator = ": ";
// Status codes have three digits; more are cut off so that the number cannot overflow.
constexpr int kStatusCodeDigitLimit = 9;
constexpr int kFirstInterimStatus = 100;
constexpr int kFirstFinalStatus = 200;
constexpr int kHttpNoContent = 204;
constexpr int kHttpNotModified = 304;
constexpr std::string_view kChunked = "chunked";

// One header line, with the lines folded into it joined.
struct HeaderField {
    std::string_view name;
    std::string value;
};

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

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// A Content-Length of digits alone that fits; none for anything else, which the caller refuses.
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

// The header fields of the lines, in order. A line that starts with a blank continues the field
// before it and is joined to its value with one space.
std::vector<HeaderField> HeaderFields(std::string_view lines) {
    std::vector<HeaderField> fields;
    bool continuable = false;  // the line before was a field
    for (std::size_t at = 0; at != std::string_view::npos && at < lines.size();) {
        const std::string_view line = LineAt(lines, at, at);
        if (!line.empty() && IsBlank(line.front())) {
            const std::string_view continued = TrimBlanks(line);
            if (continuable && !continued.empty()) {
                std::string& value = fields.back().value;
                if (!value.empty()) value.push_back(' ');
                value.append(continued);
            }
            continue;
        }
        const std::size_t separator = line.find(kNameSeparator);
        continuable = separator != std::string_view::npos;
        if (continuable) {
            fields.push_back(
                {line.substr(0, separator), std::string(line.substr(separator + kNameSeparator.size()))});
        }
    }
    return fields;
}

void AddToTable(const std::vector<HeaderField>& fields, HeaderTable& headers) {
    for (const HeaderField& field : fields) {
        std::string& stored = headers[std::string(field.name)];
        if (field.name == "Set-Cookie" && !stored.empty()) stored.push_back(';');
        stored.append(field.value);
    }
}

// The elements of a coding list (blanks around them dropped, empty ones skipped) appended.
void AppendCodings(std::string_view list, std::vector<std::string>& codings) {
    while (!list.empty()) {
        const std::size_t comma = std::min(list.find(','), list.size());
        const std::string_view coding = TrimBlanks(list.substr(0, comma));
        list.remove_prefix(std::min(comma + 1, list.size()));
        if (!coding.empty()) codings.emplace_back(coding);
    }
}

bool HoldsLoneCarriageReturn(std::string_view text) {
    for (std::size_t at = text.find(kCarriageReturn); at != std::string_view::npos;
         at = text.find(kCarriageReturn, at + 1)) {
        if (at + 1 == text.size() || text[at + 1] != kLineFeed) return true;
    }
    return false;
}

// The body's framing: its length, its codings and where it is to be found. Returns the fault
// when the fields could be read two ways, null otherwise. A body that the status rules out has
// no framing to read.
const char* ReadFraming(const std::vector<HeaderField>& fields, bool bodiless, ParsedResponse& parsed) {
    std::vector<std::string> transferCodings;
    for (const HeaderField& field : fields) {
        const std::string_view value = TrimBlanks(field.value);
        if (SameTextIgnoringCase(field.name, "Location")) {
            if (value.empty()) continue;
            if (parsed.location.empty()) {
                parsed.location = field.value;
            } else if (TrimBlanks(parsed.location) != value) {
                return "several different Location values";
            }
        } else if (bodiless) {
            continue;
        } else if (SameTextIgnoringCase(field.name, "Content-Length")) {
            const std::optional<std::size_t> length = ParseContentLength(value);
            if (!length) return "Content-Length not a plain number";
            if (parsed.contentLength && *parsed.contentLength != *length) {
                return "conflicting Content-Length values";
            }
            parsed.contentLength = length;
        } else if (SameTextIgnoringCase(field.name, "Transfer-Encoding")) {
            AppendCodings(value, transferCodings);
        } else if (SameTextIgnoringCase(field.name, "Content-Encoding")) {
            AppendCodings(value, parsed.contentCodings);
        }
    }
    for (std::size_t at = 0; at < transferCodings.size(); ++at) {
        if (SameTextIgnoringCase(transferCodings[at], kChunked)) {
            if (at + 1 != transferCodings.size()) return "chunked not the last transfer coding";
            parsed.chunked = true;
        } else if (!IsKnownCoding(transferCodings[at])) {
            return "unknown transfer coding";
        } else {
            parsed.transferCodings.push_back(transferCodings[at]);
        }
    }
    // A transfer coding frames the body by itself, whatever a Content-Length beside it says.
    if (!transferCodings.empty()) parsed.contentLength.reset();
    if (bodiless) parsed.contentLength = 0;
    return nullptr;
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
    AddToTable(HeaderFields(lines), headers);
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
    const std::vector<HeaderField> fields = HeaderFields(response.substr(linesStart, bodyStart - linesStart));
    parsed.headers.clear();
    AddToTable(fields, parsed.headers);
    parsed.setCookieLines.clear();
    for (const HeaderField& field : fields) {
        if (SameTextIgnoringCase(field.name, "Set-Cookie")) parsed.setCookieLines.push_back(field.value);
    }

    parsed.location.clear();
    parsed.chunked = false;
    parsed.contentLength.reset();
    parsed.transferCodings.clear();
    parsed.contentCodings.clear();
    const bool bodiless = parsed.statusCode == kHttpNoContent || parsed.statusCode == kHttpNotModified;
    parsed.framingFault = HoldsLoneCarriageReturn(response.substr(0, bodyStart))
                              ? "CR without LF in response head"
                              : ReadFraming(fields, bodiless, parsed);
    return true;
}
