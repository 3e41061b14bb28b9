#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "http/url.h"

// The header lines every request carries, in this order, before its User-Agent line (the
// process-wide CurrentUserAgent) and its Host line.
inline constexpr std::string_view kFixedHeaderLines[] = {
    "Accept: */*\r\n",
    "Accept-Language: zh-cn\r\n",
    "Accept-Encoding: gzip, deflate\r\n",
    "UA-CPU: x86\r\n",
};

// The URL as the client requests it: an http or https URL whose text holds no control byte (a
// server or page that writes one is up to no good: forged header lines, terminal escapes).
std::optional<Url> ParseRequestUrl(std::string_view url);

// Appends to the request text the request target (the path and query, or "GET " and the whole
// URL through a proxy), " HTTP/1.1", the fixed header lines, the User-Agent line and the Host
// line (the host, with ":" and the port when it is not the scheme's default); `target` is the URL
// as parsed. Result 0, or -1 (and no target) when the URL is not one the client requests.
int BuildQueryGetString(std::string_view url, bool viaProxy, std::string& request,
                        std::optional<Url>& target);

// The whole request for one call: GET for empty form data, otherwise POST with the form data as
// an url-encoded body. Through a proxy the request line names the whole URL for either method.
// A Cookie line with the given value follows the Host line when the value is not empty.
// False when the URL is not one the client requests.
bool BuildRequest(std::string_view url, std::string_view formData, bool viaProxy, std::string& request,
                  std::optional<Url>& target, std::string_view cookieHeader = {});
