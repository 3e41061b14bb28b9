// Reads the links of a page taken from the input, and the links of its host a followed capture
// would save. Every link stands where the reader says, with its values as the page writes them;
// the followed links are of the page's host, each once, never more than asked for.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "engine/page_anchors.h"
#include "engine/same_host_links.h"
#include "http/url.h"

namespace {

constexpr std::size_t kMostLinks = 5;
constexpr char kHome[] = "http://shop.example/m1/";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view page(reinterpret_cast<const char*>(data), size);
    std::size_t previousEnd = 0;
    for (const PageAnchor& anchor : ReadPageAnchors(page)) {
        if (anchor.start < previousEnd || anchor.tagEnd > page.size() || anchor.start >= anchor.tagEnd ||
            page[anchor.start] != '<' || page[anchor.tagEnd - 1] != '>')
            std::abort();
        previousEnd = anchor.tagEnd;
        std::set<std::string> names;
        for (const TagAttribute& attribute : anchor.attributes) {
            if (!names.insert(attribute.name).second) std::abort();
            if (attribute.valueStart == 0) continue;
            if (attribute.valueStart <= anchor.start || attribute.valueStart + attribute.value.size() > anchor.tagEnd ||
                page.substr(attribute.valueStart, attribute.value.size()) != attribute.value)
                std::abort();
        }
    }
    const std::vector<std::string> links = SameHostLinks(page, kHome, kHome, kMostLinks);
    if (links.size() > kMostLinks) std::abort();
    std::set<std::string> seen;
    for (const std::string& link : links) {
        const std::optional<Url> url = Url::Parse(link);
        if (!url || url->Host() != "shop.example" || !seen.insert(link).second || link == kHome) std::abort();
    }
    return 0;
}
