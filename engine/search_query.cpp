#include "engine/search_query.h"

#include <string_view>

namespace {

constexpr std::string_view kPageSuffix = "_pageSize-40_p-1_n-y.html";  // 40 companies a page, page 1
constexpr std::string_view kFirstPage = "p-1";

void AppendSegment(std::string& address, bool& first, std::string_view name, const std::string& value) {
    if (value.empty()) return;
    if (!first) address += '_';
    first = false;
    address += name;
    address += value;
}

}  // namespace

std::string UrlEncode(const std::string& text) {
    static constexpr char kHexDigits[] = "0123456789abcdef";
    std::string encoded;
    encoded.reserve(text.size() * 3);
    for (const char byte : text) {
        const auto value = static_cast<unsigned char>(byte);
        if (value == ' ') {
            encoded += '+';
        } else if (value >= 0x80 || value == '#') {
            // A raw "#" would start the address's fragment, which is never sent: "45#钢" would
            // search for "45" and lose the page suffix.
            encoded += '%';
            encoded += kHexDigits[value >> 4];
            encoded += kHexDigits[value & 0x0F];
        } else {
            encoded += byte;
        }
    }
    return encoded;
}

bool BuildQuery(std::string& address, const SearchCondition& condition) {
    bool first = true;
    AppendSegment(address, first, "k-", condition.keyword);
    AppendSegment(address, first, "c-", condition.industry);
    if (!condition.province.empty()) {
        AppendSegment(address, first, "province-", condition.province);
        address += "_showProvince-";
        address += condition.province;
    }
    AppendSegment(address, first, "city-", condition.city);
    AppendSegment(address, first, "biztype-", condition.bizType);
    address += kPageSuffix;
    return !first;
}

std::string ResultPageAddress(const std::string& searchUrl, uint32_t page) {
    // The page suffix ends the address, so its "p-1" is the last one; a keyword holding "p-1"
    // stands before it and stays.
    std::string address = searchUrl;
    const std::size_t at = address.rfind(kFirstPage);
    if (at != std::string::npos) address.replace(at, kFirstPage.size(), "p-" + std::to_string(page));
    return address;
}
