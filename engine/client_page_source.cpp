#include "engine/client_page_source.h"

#include <cstring>

#include "engine/pause_gate.h"
#include "http/http_client.h"

bool ClientPageSource::Fetch(CompanyPage, const std::string& url, std::string_view& body) {
    if (gate != nullptr && !gate->Pass()) return false;
    const int result = client.GetHtml(url.c_str(), "");
    if (result <= 0) return false;
    // Pages are NUL-terminated text: a NUL inside the body ends it.
    body = std::string_view(client.htmlBuffer, strnlen(client.htmlBuffer, static_cast<std::size_t>(result)));
    return true;
}

std::string ClientPageSource::LastPageAddress() const {
    return client.pageAddress;
}
