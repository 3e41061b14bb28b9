#pragma once

#include <cstddef>
#include <string>

// How the demo directory puts its pages on the wire, beyond the GBK pages of old: links under
// https (when it serves HTTPS), UTF-8 text, gzip bodies.
struct DemoWireOptions {
    bool https = false;
    bool utf8 = false;
    bool gzip = false;
};

struct DemoWireBody {
    std::string body;
    std::string contentType;
    std::string contentEncoding;  // empty: none
};

// A GBK page as it goes out. Only the addresses of links (href and src) change scheme; text
// that shows an address (a company's web site) stays as it is.
DemoWireBody ToWire(const DemoWireOptions& options, const std::string& gbkPage);

// Where to cut the wire body so that the client gets the GBK page's first `gbkCut` bytes (half
// of a gzip body, which cannot be cut at a text position).
std::size_t WireCutOffset(const DemoWireOptions& options, const std::string& gbkPage, std::size_t gbkCut);

// The rules file text for the demo served over HTTPS: every "http://" of the shipped rules
// (addresses, prefixes and link patterns) made "https://".
std::string HttpsRules(std::string rules);
