#include "http/url.h"

#include "http/hex_digit.h"
#include "http/url_host.h"
#include "http/url_parser.h"

namespace {

constexpr std::size_t npos = std::string::npos;
constexpr std::string_view kHttp = "http";
constexpr std::string_view kHttps = "https";

bool IsAsciiLetterOrDigit(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// RFC 3986 lets unreserved characters, sub-delims, ":", "@", "/" and "?" stand raw in a path or
// query; "%" only where it starts an escape.
bool StandsRawInTarget(char c) {
    static constexpr std::string_view kRawPunctuation = "-._~!$&'()*+,;=:@/?";
    return IsAsciiLetterOrDigit(c) || kRawPunctuation.find(c) != std::string_view::npos;
}

}  // namespace

std::optional<Url> Url::Parse(std::string_view text) {
    return UrlParser::Parse(text, nullptr);
}

std::optional<Url> Url::Resolve(std::string_view reference) const {
    return UrlParser::Parse(reference, this);
}

std::optional<std::string> Url::ParseHost(std::string_view text) {
    std::string host;
    if (text.empty() || !AppendSpecialHost(host, text)) return std::nullopt;
    return host;
}

std::size_t Url::AuthorityEnd() const {
    return dotBeforePath ? pathStart - 2 : pathStart;
}

std::size_t Url::PathEnd() const {
    return queryStart != npos ? queryStart : QueryEnd();
}

std::size_t Url::QueryEnd() const {
    return fragmentStart != npos ? fragmentStart : href.size();
}

std::string_view Url::HrefWithoutFragment() const {
    return std::string_view(href).substr(0, QueryEnd());
}

std::string_view Url::Scheme() const {
    return std::string_view(href).substr(0, schemeEnd);
}

std::string_view Url::Host() const {
    return hasHost ? std::string_view(href).substr(hostStart, hostEnd - hostStart) : std::string_view();
}

std::string_view Url::HostPort() const {
    return hasHost ? std::string_view(href).substr(hostStart, AuthorityEnd() - hostStart)
                   : std::string_view();
}

int Url::Port() const {
    if (port >= 0) return port;
    return defaultPort >= 0 ? defaultPort : 0;
}

std::string_view Url::Path() const {
    return std::string_view(href).substr(pathStart, PathEnd() - pathStart);
}

std::string_view Url::Query() const {
    return queryStart == npos ? std::string_view()
                              : std::string_view(href).substr(queryStart + 1, QueryEnd() - queryStart - 1);
}

std::string_view Url::Fragment() const {
    return fragmentStart == npos ? std::string_view() : std::string_view(href).substr(fragmentStart + 1);
}

bool Url::IsHttp() const {
    return Scheme() == kHttp || Scheme() == kHttps;
}

bool Url::Secure() const {
    return Scheme() == kHttps;
}

std::string Url::Origin() const {
    if (!hasHost) return "null";
    std::string origin(Scheme());
    origin.append("://").append(HostPort());
    return origin;
}

std::string Url::RequestTarget() const {
    const std::string_view text = std::string_view(href).substr(pathStart, QueryEnd() - pathStart);
    std::string target;
    target.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        const bool escape = c == '%' && at + 2 < text.size() && HexDigitValue(text[at + 1]) >= 0 &&
                            HexDigitValue(text[at + 2]) >= 0;
        if (escape || StandsRawInTarget(c)) {
            target.push_back(c);
        } else {
            AppendPercentEncoded(target, static_cast<unsigned char>(c));
        }
    }
    return target;
}
