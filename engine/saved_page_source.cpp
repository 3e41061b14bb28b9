#include "engine/saved_page_source.h"

#include <cstring>

bool SavedPageSource::Fetch(const std::string&, std::string_view& body) {
    if (next >= bodies.size()) return false;
    const std::string& page = bodies[next++];
    // Read like a fetched page: NUL-terminated text, and no text is no page.
    body = std::string_view(page.c_str(), strnlen(page.c_str(), page.size()));
    return !page.empty();
}
