#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// An absolute URL, parsed, resolved and written as the WHATWG URL standard does for its special
// schemes (http, https, ws, wss, ftp), and as far as needed for other schemes (mailto:,
// javascript:, a "//" authority) to tell them apart and write them back unchanged. file: is read
// as such another scheme: the client never asks for one.
//
// Text is taken byte for byte, as the engine holds it (GBK): bytes of 0x80 and above are
// percent-encoded one by one in the path, query and fragment, which for UTF-8 text is exactly the
// standard's encoding. A host holding such a byte is refused: turning it into an IDNA name needs
// the page's charset, and every host of the directory is ASCII.
class Url {
public:
    // The text as an absolute URL; none when it is not one.
    static std::optional<Url> Parse(std::string_view text);
    // A reference of any kind (absolute, "//host/x", "/x", "x", "../x", "?q", "#f") read against
    // this URL as its base; none when it does not resolve to a URL.
    std::optional<Url> Resolve(std::string_view reference) const;
    // A host name or address as a special URL's host: lower case, IPv4 in any of its number forms
    // written dotted, IPv6 compressed in brackets; none when it is no valid host.
    static std::optional<std::string> ParseHost(std::string_view text);

    // The whole URL as the standard writes it; parsing it again gives it back unchanged.
    const std::string& Href() const { return href; }
    std::string_view HrefWithoutFragment() const;
    std::string_view Scheme() const;  // lower case, without ":"
    std::string_view Host() const;    // empty when there is none
    // The host, and ":" with the port when that is not the scheme's default (a Host header).
    std::string_view HostPort() const;
    int Port() const;                   // the port named, else the scheme's default; 0 when neither
    std::string_view Path() const;      // "/a/b.html" for http and https
    std::string_view Query() const;     // without its "?"
    std::string_view Fragment() const;  // without its "#"
    bool IsHttp() const;                // http or https: what the client fetches
    bool Secure() const;                // https
    // "scheme://host[:port]": what a connection is for.
    std::string Origin() const;
    // The path and query as a request line names them: every byte that RFC 3986 does not let stand
    // raw there (what the standard leaves raw of "[]^|{}`\", a "%" that starts no escape) escaped.
    std::string RequestTarget() const;

private:
    friend class UrlParser;
    Url() = default;
    std::size_t AuthorityEnd() const;
    std::size_t PathEnd() const;
    std::size_t QueryEnd() const;

    std::string href;
    std::size_t schemeEnd = 0;  // the ":" after the scheme
    std::size_t hostStart = 0;
    std::size_t hostEnd = 0;
    std::size_t pathStart = 0;
    std::size_t queryStart = std::string::npos;     // its "?"
    std::size_t fragmentStart = std::string::npos;  // its "#"
    int port = -1;                                  // a port other than the default, as written
    int defaultPort = -1;                           // -1 for a scheme that is not special
    bool hasHost = false;
    bool opaquePath = false;     // "mailto:x": a path that is no list of segments
    bool dotBeforePath = false;  // "/." keeps a host-less path that starts "//" from reading as a host
};
