#pragma once

#include <string>
#include <string_view>

#include "http/url_split.h"

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

// Appends to the request text the request target (the path alone, or "GET " and the whole URL
// through a proxy), " HTTP/1.1", the fixed header lines and the Host line (host without port).
// Result 0, or -1 when the URL cannot be split.
int BuildQueryGetString(std::string_view url, bool viaProxy, std::string& request, UrlParts& parts);

// The whole request for one call: GET for empty form data, otherwise POST with the form data as
// an url-encoded body. Through a proxy the request line names the whole URL for either method.
// False when the URL cannot be split.
bool BuildRequest(std::string_view url, std::string_view formData, bool viaProxy, std::string& request,
                  UrlParts& parts);
