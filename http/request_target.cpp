#include "http/request_target.h"

#include <algorithm>

#include "http/url_split.h"

namespace {

constexpr char kUpperHexDigits[] = "0123456789ABCDEF";
constexpr std::string_view kParentStep = "../";
constexpr std::string_view kCurrentStep = "./";

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool IsAsciiLetterOrDigit(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// RFC 3986 lets unreserved characters, sub-delims, ":", "@", "/" and "?" stand raw in a path or
// query; "%" only where it starts an escape.
bool StandsRawInTarget(char c) {
    static constexpr std::string_view kRawPunctuation = "-._~!$&'()*+,;=:@/?";
    return IsAsciiLetterOrDigit(c) || kRawPunctuation.find(c) != std::string_view::npos;
}

void AppendEscaped(std::string_view text, std::string& out) {
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        const bool escapeAlready =
            c == '%' && at + 2 < text.size() && IsHexDigit(text[at + 1]) && IsHexDigit(text[at + 2]);
        if (escapeAlready || StandsRawInTarget(c)) {
            out.push_back(c);
        } else {
            const auto byte = static_cast<unsigned char>(c);
            out.push_back('%');
            out.push_back(kUpperHexDigits[byte >> 4]);
            out.push_back(kUpperHexDigits[byte & 0x0F]);
        }
    }
}

// Drops the last segment of the output and the "/" before it.
void DropLastSegment(std::string& output) {
    const std::size_t slash = output.rfind('/');
    output.erase(slash == std::string::npos ? 0 : slash);
}

// RFC 3986's remove_dot_segments over a path that starts with "/" (or is empty).
std::string RemoveDotSegments(std::string_view input) {
    std::string output;
    output.reserve(input.size());
    while (!input.empty()) {
        if (StartsWith(input, kParentStep)) {
            input.remove_prefix(kParentStep.size());
        } else if (StartsWith(input, kCurrentStep) || StartsWith(input, "/./")) {
            input.remove_prefix(kCurrentStep.size());
        } else if (input == "/.") {
            input = "/";
        } else if (StartsWith(input, "/../")) {
            input.remove_prefix(kParentStep.size());
            DropLastSegment(output);
        } else if (input == "/..") {
            input = "/";
            DropLastSegment(output);
        } else if (input == "." || input == "..") {
            input = {};
        } else {
            // Move the first segment, with its leading "/", to the output.
            const std::size_t end = input.find('/', 1);
            const std::size_t length = end == std::string_view::npos ? input.size() : end;
            output.append(input.substr(0, length));
            input.remove_prefix(length);
        }
    }
    return output;
}

}  // namespace

std::string RequestUrl(std::string_view url) {
    const std::size_t hostStart = HostPartStart(url);
    // A URL holding a control byte, even in its fragment, is left for the splitting to refuse.
    if (hostStart == std::string_view::npos || HoldsControlByte(url)) return std::string(url);
    const std::string_view withoutFragment = url.substr(0, url.find('#', hostStart));
    const std::size_t hostEnd =
        std::min(withoutFragment.find_first_of("/?", hostStart), withoutFragment.size());
    const std::string_view rest = withoutFragment.substr(hostEnd);
    const std::size_t queryStart = std::min(rest.find('?'), rest.size());
    std::string_view path = rest.substr(0, queryStart);
    const std::string_view query = rest.substr(queryStart);
    // A query right after the host needs the root path in front of it, or it would be taken
    // for part of the host.
    if (path.empty() && !query.empty()) path = "/";

    std::string sent(withoutFragment.substr(0, hostEnd));
    AppendEscaped(RemoveDotSegments(path), sent);
    AppendEscaped(query, sent);
    return sent;
}
