#include "http/request_builder.h"

#include "http/control_byte.h"
#include "http/user_agent.h"

namespace {

constexpr std::string_view kProxyGetPrefix = "GET ";

}  // namespace

std::optional<Url> ParseRequestUrl(std::string_view url) {
    if (HoldsControlByte(url)) return std::nullopt;
    std::optional<Url> parsed = Url::Parse(url);
    if (!parsed || !parsed->IsHttp()) return std::nullopt;
    return parsed;
}

int BuildQueryGetString(std::string_view url, bool viaProxy, std::string& request,
                        std::optional<Url>& target) {
    target = ParseRequestUrl(url);
    if (!target) return -1;
    // HTTPS goes through a proxy's tunnel, inside which the request names the path alone.
    if (viaProxy && !target->Secure()) {
        request.append(kProxyGetPrefix).append(target->Origin()).append(target->RequestTarget());
    } else {
        request.append(target->RequestTarget().substr(1));  // the caller writes "GET /"
    }
    request.append(" HTTP/1.1\r\n");
    for (const std::string_view line : kFixedHeaderLines) request.append(line);
    request.append("User-Agent: ").append(CurrentUserAgent()).append("\r\n");
    request.append("Host: ").append(target->HostPort()).append("\r\n");
    return 0;
}

bool BuildRequest(std::string_view url, std::string_view formData, bool viaProxy, std::string& request,
                  std::optional<Url>& target, std::string_view cookieHeader) {
    std::string head;
    if (BuildQueryGetString(url, viaProxy, head, target) != 0) return false;
    if (!cookieHeader.empty()) head.append("Cookie: ").append(cookieHeader).append("\r\n");
    const bool absoluteForm = viaProxy && !target->Secure();  // a tunnelled request names the path alone
    if (formData.empty()) {
        request = absoluteForm ? std::move(head) : "GET /" + head;
        request.append("\r\n");
        return true;
    }
    // Through a proxy the target is the whole URL, so POST takes the place of the "GET ".
    request = absoluteForm ? "POST " + head.substr(kProxyGetPrefix.size()) : "POST /" + head;
    request.append("Content-Type: application/x-www-form-urlencoded\r\n");
    request.append("Content-Length: ").append(std::to_string(formData.size())).append("\r\n\r\n");
    request.append(formData);
    return true;
}
