#pragma once

#include <string>
#include <string_view>

#include "http/url_split.h"

// The header lines every request carries, in this order, before its User-Agent line (the
// process-wide CurrentUserAgent) and its Host line.
inline constexpr std::string_view kFixedHeaderLines[] = {
    "Accept: */*\r\n",
    "Accept-Language: zh-cn\r\n",
    "Accept-Encoding: gzip, deflate\r\n",
    "Connection: close\r\n",
    "UA-CPU: x86\r\n",
};

// Appends to the request text the request target (the path alone, or "GET " and the whole URL
// through a proxy), " HTTP/1.1", the fixed header lines, the User-Agent line and the Host line
// (the host, with ":" and the port when it is not the scheme's default). Result 0, or -1 when
// the URL cannot be split.
int BuildQueryGetString(std::string_view url, bool viaProxy, std::string& request, UrlParts& parts);

// The whole request for one call: GET for empty form data, otherwise POST with the form data as
// an url-encoded body. Through a proxy the request line names the whole URL for either method.
// A Cookie line with the given value follows the Host line when the value is not empty.
// False when the URL cannot be split.
bool BuildRequest(std::string_view url, std::string_view formData, bool viaProxy, std::string& request,
                  UrlParts& parts, std::string_view cookieHeader = {});
