#include "tools/demo-directory/demo_query.h"

#include <array>
#include <charconv>

#include "tools/demo-directory/gbk_text.h"

namespace {

constexpr std::string_view kSearchPath = "/company/";
constexpr std::string_view kPageSuffixStart = "_pageSize-40_p-";
constexpr std::string_view kPageSuffixEnd = "_n-y.html";
constexpr std::string_view kShowProvince = "_showProvince-";

struct Segment {
    std::string_view marker;  // without the leading "_"
    std::string DemoConditions::*field;
};

constexpr std::array<Segment, 5> kSegments = {{
    {"k-", &DemoConditions::keyword},
    {"c-", &DemoConditions::industry},
    {"province-", &DemoConditions::province},
    {"city-", &DemoConditions::city},
    {"biztype-", &DemoConditions::businessModel},
}};

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Where the value of segment `index` ends: at the first later segment's "_marker".
std::size_t ValueEnd(std::string_view text, std::size_t index) {
    std::size_t end = text.size();
    for (std::size_t later = index + 1; later < kSegments.size(); ++later) {
        std::string marker = "_" + std::string(kSegments[later].marker);
        std::size_t at = text.find(marker);
        if (at < end) end = at;
    }
    return end;
}

bool StoreValue(std::string_view raw, std::string& field) {
    std::optional<std::string> utf8 = GbkToUtf8(PercentDecode(raw));
    if (!utf8) return false;
    field = *utf8;
    return true;
}

}  // namespace

std::string PercentDecode(std::string_view text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            decoded += ' ';
        } else if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
                   HexValue(text[i + 2]) >= 0) {
            decoded += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

std::optional<DemoSearchRequest> ParseSearchTarget(std::string_view target) {
    if (target.substr(0, kSearchPath.size()) != kSearchPath) return std::nullopt;
    std::string_view rest = target.substr(kSearchPath.size());
    std::size_t suffixAt = rest.rfind(kPageSuffixStart);
    if (suffixAt == std::string_view::npos) return std::nullopt;
    std::string_view pagePart = rest.substr(suffixAt + kPageSuffixStart.size());
    DemoSearchRequest request;
    auto [pageEnd, error] = std::from_chars(pagePart.data(), pagePart.data() + pagePart.size(), request.page);
    if (error != std::errc() || request.page < 1 ||
        std::string_view(pageEnd, pagePart.data() + pagePart.size() - pageEnd) != kPageSuffixEnd) {
        return std::nullopt;
    }

    std::string_view segments = rest.substr(0, suffixAt);
    bool first = true;
    for (std::size_t index = 0; index < kSegments.size() && !segments.empty(); ++index) {
        std::string marker = (first ? "" : "_") + std::string(kSegments[index].marker);
        if (segments.substr(0, marker.size()) != marker) continue;
        segments.remove_prefix(marker.size());
        first = false;
        std::size_t end = ValueEnd(segments, index);
        std::string_view value = segments.substr(0, end);
        segments.remove_prefix(end);
        if (kSegments[index].field == &DemoConditions::province) {
            // The province comes twice; the directory reads the first.
            std::size_t show = value.find(kShowProvince);
            if (show == std::string_view::npos) return std::nullopt;
            value = value.substr(0, show);
        }
        if (!StoreValue(value, request.conditions.*kSegments[index].field)) return std::nullopt;
    }
    if (!segments.empty() || first) return std::nullopt;
    return request;
}
