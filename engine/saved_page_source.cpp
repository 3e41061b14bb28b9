#include "engine/saved_page_source.h"

#include <cstring>

bool SavedPageSource::Fetch(CompanyPage page, const std::string& url, std::string_view& body) {
    const std::string& saved = pages[static_cast<std::size_t>(page)];
    lastAddress = url;
    // Read like a fetched page: NUL-terminated text, and no text is no page.
    body = std::string_view(saved.c_str(), strnlen(saved.c_str(), saved.size()));
    return !saved.empty();
}
