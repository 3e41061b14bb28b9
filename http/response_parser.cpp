#include "http/response_parser.h"

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kHeaderBlockEnd = "\r\n\r\n";
constexpr std::string_view kNameSeparator = ": ";
// Status codes have three digits; more are cut off so that the number cannot overflow.
constexpr int kStatusCodeDigitLimit = 9;

}  // namespace

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
    while (!lines.empty()) {
        const std::size_t end = lines.find(kLineEnd);
        const std::string_view line = lines.substr(0, end);
        lines = end == std::string_view::npos ? std::string_view() : lines.substr(end + kLineEnd.size());

        const std::size_t separator = line.find(kNameSeparator);
        if (separator == std::string_view::npos) continue;
        const std::string_view name = line.substr(0, separator);
        const std::string_view value = line.substr(separator + kNameSeparator.size());
        std::string& stored = headers[std::string(name)];
        if (name == "Set-Cookie" && !stored.empty()) stored.push_back(';');
        stored.append(value);
    }
}

bool ParseResponse(std::string_view response, ParsedResponse& parsed) {
    const std::size_t blockEnd = response.find(kHeaderBlockEnd);
    if (blockEnd == std::string_view::npos) return false;
    const std::string_view block = response.substr(0, blockEnd);
    parsed.bodyStart = blockEnd + kHeaderBlockEnd.size();

    const std::size_t statusEnd = block.find(kLineEnd);
    parsed.statusCode = ParseStatusCode(block.substr(0, statusEnd));
    parsed.headers.clear();
    if (statusEnd != std::string_view::npos) {
        ParseHeaderLines(block.substr(statusEnd + kLineEnd.size()), parsed.headers);
    }

    parsed.location.clear();
    parsed.chunked = false;
    if (const auto location = parsed.headers.find("Location"); location != parsed.headers.end()) {
        parsed.location = location->second;
    }
    if (const auto coding = parsed.headers.find("Transfer-Encoding"); coding != parsed.headers.end()) {
        parsed.chunked = coding->second.find("chunked") != std::string::npos;
    }
    return true;
}
