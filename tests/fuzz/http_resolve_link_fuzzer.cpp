// Resolves a link against a base, both taken from the input (split at its first NUL byte), and
// checks that the result is made only of the two and a joining "/".
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "http/resolve_link.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    const std::string base(input.substr(0, split));
    std::string link(split == std::string_view::npos ? std::string_view() : input.substr(split + 1));
    const std::size_t linkSize = link.size();
    ResolveLink(link, base);
    if (link.size() > base.size() + linkSize + 1) std::abort();
    return 0;
}
