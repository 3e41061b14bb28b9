#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "http/url.h"

// The header lines every request carries, in this order.
inline constexpr std::string_view kFixedHeaderLines[] = {
    "Accept: */*\r\n",
    "Accept-Language: zh-cn\r\n",
    "Accept-Encoding: deflate\r\n",
    "Connection: close\r\n",
    "UA-CPU: x86\r\n",
    "User-Agent: Mozilla/4.0 (compatible; MSIE 7.0; Windows NT 5.2; .NET CLR 1.1.4322; .NET CLR "
    "2.0.50727)\r\n",
};

// Whether the text holds a byte below 0x20 or DEL. The client requests no such address: a server
// or page that writes one is up to no good (forged header lines, terminal escapes).
bool HoldsControlByte(std::string_view text);

// The URL as the client requests it: an http or https URL whose text holds no control byte.
std::optional<Url> ParseRequestUrl(std::string_view url);

// Appends to the request text the request target (the path and query, or "GET " and the whole
// URL through a proxy), " HTTP/1.1", the fixed header lines and the Host line (host without
// port); `target` is the URL as parsed. Result 0, or -1 (and no target) when the URL is not one
// the client requests.
int BuildQueryGetString(std::string_view url, bool viaProxy, std::string& request,
                        std::optional<Url>& target);

// The whole request for one call: GET for empty form data, otherwise POST with the form data as
// an url-encoded body. Through a proxy the request line names the whole URL for either method.
// False when the URL is not one the client requests.
bool BuildRequest(std::string_view url, std::string_view formData, bool viaProxy, std::string& request,
                  std::optional<Url>& target);
