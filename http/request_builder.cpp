#include "http/request_builder.h"

#include "http/user_agent.h"

namespace {

constexpr std::string_view kProxyGetPrefix = "GET ";

}  // namespace

int BuildQueryGetString(std::string_view url, bool viaProxy, std::string& request, UrlParts& parts) {
    if (!SplitUrl(url, parts)) return -1;
    // HTTPS goes through a proxy's tunnel, inside which the request names the path alone.
    if (viaProxy && !parts.secure) {
        request.append(kProxyGetPrefix).append(url);
    } else {
        request.append(parts.path);
    }
    request.append(" HTTP/1.1\r\n");
    for (const std::string_view line : kFixedHeaderLines) request.append(line);
    request.append("User-Agent: ").append(CurrentUserAgent()).append("\r\n");
    request.append("Host: ").append(parts.host);
    if (parts.port != (parts.secure ? kDefaultHttpsPort : kDefaultHttpPort)) {
        request.append(":").append(std::to_string(parts.port));
    }
    request.append("\r\n");
    return 0;
}

bool BuildRequest(std::string_view url, std::string_view formData, bool viaProxy, std::string& request,
                  UrlParts& parts, std::string_view cookieHeader) {
    std::string query;
    if (BuildQueryGetString(url, viaProxy, query, parts) != 0) return false;
    if (!cookieHeader.empty()) query.append("Cookie: ").append(cookieHeader).append("\r\n");
    viaProxy = viaProxy && !parts.secure;  // a tunnelled request names the path alone
    if (formData.empty()) {
        request = viaProxy ? query : "GET /" + query;
        request.append("\r\n");
        return true;
    }
    // Through a proxy the target is the whole URL, so POST takes the place of the "GET ".
    request = viaProxy ? "POST " + query.substr(kProxyGetPrefix.size()) : "POST /" + query;
    request.append("Content-Type: application/x-www-form-urlencoded\r\n");
    request.append("Content-Length: ").append(std::to_string(formData.size())).append("\r\n\r\n");
    request.append(formData);
    return true;
}
