#include "http/response_parser.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "http/body_codings.h"

namespace {

constexpr char kLineFeed = '\n';
constexpr char kCarriageReturn = '\r';
constexpr std::string_view kHttpOneVersion = "HTTP/1.";
constexpr int kStatusCodeDigits = 3;
constexpr int kFirstInterimStatus = 100;
constexpr int kFirstFinalStatus = 200;
constexpr int kHttpNoContent = 204;
constexpr int kHttpNotModified = 304;
constexpr std::string_view kChunked = "chunked";
constexpr char kFirstPersistentMinorVersion = '1';
constexpr std::string_view kTokenSymbols = "!#$%&'*+-.^_`|~";

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

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// tchar of RFC 9110 §5.6.2.
bool IsTokenCharacter(char c) {
    return IsDigit(c) || (LowerAscii(c) >= 'a' && LowerAscii(c) <= 'z') ||
           kTokenSymbols.find(c) != std::string_view::npos;
}

bool IsToken(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), IsTokenCharacter);
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// The field lines between the status line and the blank line, read as RFC 9112 §5 writes them:
// field-line = field-name ":" OWS field-value OWS. Returns the fault of a malformed line.
const char* ReadFieldLines(std::string_view lines, std::vector<HeaderField>& fields) {
    for (std::size_t at = 0; at != std::string_view::npos && at < lines.size();) {
        const std::string_view line = LineAt(lines, at, at);
        if (line.empty()) break;  // the blank line that ends the head
        // §5.2 obs-fold: replaced by one SP. A folded line right after the status line has no
        // field to continue and is passed over (§2.2).
        if (IsBlank(line.front())) {
            const std::string_view continued = TrimBlanks(line);
            if (fields.empty() || continued.empty()) continue;
            std::string& value = fields.back().value;
            if (!value.empty()) value.push_back(' ');
            value.append(continued);
            continue;
        }
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) return "header line without colon";
        // §5.1: field-name = token, with no whitespace before the colon.
        const std::string_view name = line.substr(0, colon);
        if (!IsToken(name)) return "malformed header name";
        fields.push_back({name, std::string(TrimBlanks(line.substr(colon + 1)))});
    }
    return nullptr;
}

std::string Lowered(std::string_view text) {
    std::string lowered(text);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(), LowerAscii);
    return lowered;
}

// The lines of one name combined as RFC 9110 §5.3 allows: in order, separated by ", ".
void AddToTable(const std::vector<HeaderField>& fields, HeaderTable& headers) {
    std::unordered_map<std::string, std::string*> byName;  // lower-cased name to its entry
    for (const HeaderField& field : fields) {
        std::string*& stored = byName[Lowered(field.name)];
        if (stored == nullptr) stored = &headers[std::string(field.name)];
        if (field.value.empty()) continue;
        if (SameTextIgnoringCase(field.name, "Content-Type") || stored->empty()) {
            *stored = field.value;
        } else {
            stored->append(SameTextIgnoringCase(field.name, "Set-Cookie") ? "\n" : ", ");
            stored->append(field.value);
        }
    }
}

// The elements of a list (blanks around them dropped, empty ones skipped) appended.
void AppendListElements(std::string_view list, std::vector<std::string>& elements) {
    while (!list.empty()) {
        const std::size_t comma = std::min(list.find(','), list.size());
        const std::string_view element = TrimBlanks(list.substr(0, comma));
        list.remove_prefix(std::min(comma + 1, list.size()));
        if (!element.empty()) elements.emplace_back(element);
    }
}

// A Content-Length of digits alone that fits; none for anything else, which the caller refuses.
std::optional<std::size_t> ParseContentLength(std::string_view text) {
    if (text.empty()) return std::nullopt;
    std::size_t length = 0;
    for (const char c : text) {
        if (!IsDigit(c)) return std::nullopt;
        const auto digit = static_cast<std::size_t>(c - '0');
        if (length > (static_cast<std::size_t>(-1) - digit) / 10) return std::nullopt;
        length = length * 10 + digit;
    }
    return length;
}

// RFC 9110 §8.6: a list of one repeated number, or several lines of it, is that number; a
// member that is no number, or two that differ, leave the length unknowable.
const char* ReadContentLength(std::string_view value, std::optional<std::size_t>& contentLength) {
    for (std::size_t at = 0; at <= value.size();) {
        const std::size_t comma = std::min(value.find(',', at), value.size());
        const std::optional<std::size_t> length =
            ParseContentLength(TrimBlanks(value.substr(at, comma - at)));
        if (!length) return "Content-Length not a plain number";
        if (contentLength && *contentLength != *length) return "conflicting Content-Length values";
        contentLength = length;
        at = comma + 1;
    }
    return nullptr;
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
// no framing to read. `lengthBesideCoding` tells of a Content-Length that a transfer coding
// overrode.
const char* ReadFraming(const std::vector<HeaderField>& fields, bool bodiless, ParsedResponse& parsed,
                        bool& lengthBesideCoding) {
    std::vector<std::string> transferCodings;
    for (const HeaderField& field : fields) {
        if (SameTextIgnoringCase(field.name, "Location")) {
            if (field.value.empty()) continue;
            if (parsed.location.empty()) {
                parsed.location = field.value;
            } else if (parsed.location != field.value) {
                return "several different Location values";
            }
        } else if (bodiless) {
            continue;
        } else if (SameTextIgnoringCase(field.name, "Content-Length")) {
            if (const char* fault = ReadContentLength(field.value, parsed.contentLength)) return fault;
        } else if (SameTextIgnoringCase(field.name, "Transfer-Encoding")) {
            // The lines of a list field are one list (RFC 9110 §5.3).
            AppendListElements(field.value, transferCodings);
        } else if (SameTextIgnoringCase(field.name, "Content-Encoding")) {
            AppendListElements(field.value, parsed.contentCodings);
        }
    }
    // RFC 9112 §6.3: chunked as the last transfer coding frames the body; a body whose last
    // coding is another one runs until the server closes. Chunked anywhere else is refused.
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
    lengthBesideCoding = !transferCodings.empty() && parsed.contentLength;
    if (!transferCodings.empty()) parsed.contentLength.reset();
    if (bodiless) parsed.contentLength = 0;
    return nullptr;
}

// RFC 9112 §9.3 Persistence, for a response of HTTP/1.`minorVersion`.
bool Persists(char minorVersion, const std::vector<HeaderField>& fields, bool lengthBesideCoding,
              bool transferCoded) {
    std::vector<std::string> options;
    for (const HeaderField& field : fields) {
        if (SameTextIgnoringCase(field.name, "Connection")) AppendListElements(field.value, options);
    }
    const auto hasOption = [&options](std::string_view option) {
        return std::any_of(options.begin(), options.end(), [option](const std::string& named) {
            return SameTextIgnoringCase(named, option);
        });
    };
    // §6.3: a response framed both by a coding and a length, or an HTTP/1.0 response with a
    // transfer coding, leaves its framing in doubt: the connection closes after it.
    if (lengthBesideCoding) return false;
    const bool httpOneOne = minorVersion >= kFirstPersistentMinorVersion;
    if (!httpOneOne && transferCoded) return false;
    // If the "close" connection option is present, the connection will not persist.
    if (hasOption("close")) return false;
    // If the received protocol is HTTP/1.1 (or later), the connection will persist.
    if (httpOneOne) return true;
    // If the received protocol is HTTP/1.0, the "keep-alive" connection option is present and the
    // recipient is not a proxy, the connection will persist.
    // Otherwise, the connection will close after the current response.
    return hasOption("keep-alive");
}

// Everything the head says, or the fault that makes it no response.
const char* ReadHead(std::string_view head, ParsedResponse& parsed) {
    // Bytes that end a line or a text for some readers and not for others are refused.
    if (head.find('\0') != std::string_view::npos) return "malformed response head";
    if (HoldsLoneCarriageReturn(head)) return "CR without LF in response head";
    std::size_t linesStart = 0;
    const std::optional<int> statusCode = ParseStatusCode(LineAt(head, 0, linesStart));
    if (!statusCode) return "malformed status line";
    parsed.statusCode = *statusCode;
    std::vector<HeaderField> fields;
    if (const char* fault = ReadFieldLines(head.substr(linesStart), fields)) return fault;
    AddToTable(fields, parsed.headers);
    for (const HeaderField& field : fields) {
        if (SameTextIgnoringCase(field.name, "Set-Cookie")) parsed.setCookieLines.push_back(field.value);
    }
    // RFC 9112 §6.3: these responses end at their blank line.
    const bool bodiless = IsInterimStatus(parsed.statusCode) || parsed.statusCode == kHttpNoContent ||
                          parsed.statusCode == kHttpNotModified;
    bool lengthBesideCoding = false;
    if (const char* fault = ReadFraming(fields, bodiless, parsed, lengthBesideCoding)) return fault;
    parsed.persistent = Persists(head[kHttpOneVersion.size()], fields, lengthBesideCoding,
                                 !parsed.transferCodings.empty() || parsed.chunked);
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

// RFC 9112 §4: status-line = HTTP-version SP status-code SP [ reason-phrase ]. A run of blanks
// counts as one SP, as §4 lets a recipient parse on whitespace; the SP before an absent reason
// may be missing.
std::optional<int> ParseStatusCode(std::string_view statusLine) {
    // HTTP-version = HTTP-name "/" DIGIT "." DIGIT, of major version 1.
    std::size_t at = kHttpOneVersion.size();
    if (statusLine.substr(0, at) != kHttpOneVersion || at == statusLine.size() || !IsDigit(statusLine[at]))
        return std::nullopt;
    ++at;
    // SP
    if (at == statusLine.size() || !IsBlank(statusLine[at])) return std::nullopt;
    while (at < statusLine.size() && IsBlank(statusLine[at])) ++at;
    // status-code = 3DIGIT
    int code = 0;
    for (int digit = 0; digit < kStatusCodeDigits; ++digit, ++at) {
        if (at == statusLine.size() || !IsDigit(statusLine[at])) return std::nullopt;
        code = code * 10 + (statusLine[at] - '0');
    }
    // SP [ reason-phrase ], or nothing
    if (at < statusLine.size() && !IsBlank(statusLine[at])) return std::nullopt;
    return code;
}

std::size_t ResponseHeadEnd::Find(std::string_view received) {
    while (bodyStart_ == std::string_view::npos && scanned_ < received.size()) {
        const void* feed = std::memchr(received.data() + scanned_, kLineFeed, received.size() - scanned_);
        if (feed == nullptr) {
            scanned_ = received.size();
            break;
        }
        const auto lineEnd = static_cast<std::size_t>(static_cast<const char*>(feed) - received.data());
        const std::size_t lineLength = lineEnd - lineStart_;
        const bool blank = lineLength == 0 || (lineLength == 1 && received[lineStart_] == kCarriageReturn);
        scanned_ = lineStart_ = lineEnd + 1;
        if (blank && pastStatusLine_) bodyStart_ = scanned_;
        pastStatusLine_ = true;
    }
    return bodyStart_;
}

std::size_t FindBodyStart(std::string_view response) {
    return ResponseHeadEnd().Find(response);
}

bool ParseResponse(std::string_view response, ParsedResponse& parsed) {
    const std::size_t bodyStart = FindBodyStart(response);
    if (bodyStart == std::string_view::npos) return false;
    parsed = ParsedResponse();
    parsed.bodyStart = bodyStart;
    parsed.framingFault = ReadHead(response.substr(0, bodyStart), parsed);
    return true;
}
