#include "http/resolve_link.h"

#include <string_view>

namespace {

// The site-root "/" is searched from here on, past the "//" of "http://".
constexpr std::size_t kHostStartIndex = 7;
constexpr std::string_view kParentStep = "../";

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The text before the last occurrence of the byte; the whole text when it has none.
std::string_view UpToLast(std::string_view text, char byte) {
    const std::size_t at = text.rfind(byte);
    return at == std::string_view::npos ? text : text.substr(0, at);
}

std::string Join(std::string_view a, std::string_view b) {
    std::string joined;
    joined.reserve(a.size() + b.size());
    joined.append(a).append(b);
    return joined;
}

std::string Join(std::string_view a, std::string_view b, std::string_view c) {
    std::string joined = Join(a, b);
    joined.append(c);
    return joined;
}

}  // namespace

void ResolveLink(std::string& link, const std::string& base) {
    const std::string_view relative = link;
    std::string resolved;
    if (relative.empty()) {
        resolved = base;
    } else if (StartsWith(relative, "/")) {
        const std::size_t rootSlash = base.find('/', kHostStartIndex);
        const std::string_view site = rootSlash == std::string::npos
                                          ? std::string_view(base)
                                          : std::string_view(base).substr(0, rootSlash);
        resolved = Join(site, relative);
    } else if (StartsWith(relative, "http")) {
        return;
    } else if (StartsWith(relative, "#")) {
        resolved = Join(base, relative);
    } else if (StartsWith(relative, "./")) {
        resolved = Join(UpToLast(base, '/'), "/", relative.substr(2));
    } else if (StartsWith(relative, "?")) {
        resolved = Join(UpToLast(base, '?'), relative);
    } else if (StartsWith(relative, kParentStep)) {
        std::string_view directory = UpToLast(base, '/');  // drops the document name
        std::string_view rest = relative;
        while (StartsWith(rest, kParentStep)) {
            directory = UpToLast(directory, '/');
            rest.remove_prefix(kParentStep.size());
        }
        resolved = Join(directory, "/", rest);
    } else {
        resolved = Join(UpToLast(base, '/'), "/", relative);
    }
    link = std::move(resolved);
}
