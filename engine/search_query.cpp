#include "engine/search_query.h"

#include <array>

#include "http/url_parser.h"
#include "platform/text_encoding.h"

namespace {

constexpr std::string_view kPageSuffix = "_pageSize-40_p-1_n-y.html";  // 40 companies a page, page 1
constexpr std::string_view kFirstPage = "p-1";
constexpr std::string_view kUtf8Replacement = "\xEF\xBF\xBD";

void AppendSegment(std::string& address, bool& first, std::string_view name, const std::string& value) {
    if (value.empty()) return;
    if (!first) address += '_';
    first = false;
    address += name;
    address += value;
}

struct Placeholder {
    std::string_view name;
    std::string SearchCondition::*condition;  // null for the page
};

constexpr std::array<Placeholder, 6> kPlaceholders = {{
    {"{keyword}", &SearchCondition::keyword},
    {"{province}", &SearchCondition::province},
    {"{city}", &SearchCondition::city},
    {"{industry}", &SearchCondition::industry},
    {"{biztype}", &SearchCondition::bizType},
    {kPagePlaceholder, nullptr},
}};

enum class Position { path, query };

bool IsUnreserved(unsigned char byte) {
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
           byte == '-' || byte == '.' || byte == '_' || byte == '~';
}

std::string Encoded(std::string_view value, Position position) {
    std::string encoded;
    for (const char byte : value) {
        const auto unsignedByte = static_cast<unsigned char>(byte);
        if (IsUnreserved(unsignedByte)) {
            encoded += byte;
        } else if (byte == ' ' && position == Position::query) {
            encoded += '+';  // as a browser submits a search form
        } else {
            AppendPercentEncoded(encoded, unsignedByte);
        }
    }
    return encoded;
}

// The placeholders of one template, filled for one page.
class TemplateFiller {
public:
    TemplateFiller(const SearchCondition& condition, QueryCharset charset, uint32_t page) {
        for (std::size_t index = 0; index < kPlaceholders.size(); ++index) {
            const Placeholder& placeholder = kPlaceholders[index];
            if (placeholder.condition == nullptr) {
                values[index] = std::to_string(page);
                continue;
            }
            const std::string& text = condition.*placeholder.condition;
            values[index] = charset == QueryCharset::utf8
                                ? ConvertTextReplacing(text, "GB18030", "UTF-8", kUtf8Replacement)
                                : text;
        }
    }

    // Whether the part holds a placeholder whose condition is empty.
    bool HoldsEmptyCondition(std::string_view part) const {
        for (std::size_t index = 0; index < kPlaceholders.size(); ++index) {
            if (values[index].empty() && part.find(kPlaceholders[index].name) != std::string_view::npos)
                return true;
        }
        return false;
    }

    std::string Filled(std::string_view part, Position position) const {
        std::string filled;
        while (!part.empty()) {
            std::size_t index = 0;
            while (index < kPlaceholders.size() && !part.starts_with(kPlaceholders[index].name)) ++index;
            if (index == kPlaceholders.size()) {
                filled += part.front();
                part.remove_prefix(1);
                continue;
            }
            filled += Encoded(values[index], position);
            part.remove_prefix(kPlaceholders[index].name.size());
        }
        return filled;
    }

    // The parts between separators, those holding an empty condition left out with their
    // separator, the others filled.
    std::string Kept(std::string_view text, char separator, Position position) const {
        std::string kept;
        bool keptAny = false;
        for (std::size_t start = 0; start <= text.size();) {
            std::size_t end = text.find(separator, start);
            if (end == std::string_view::npos) end = text.size();
            const std::string_view part = text.substr(start, end - start);
            if (!HoldsEmptyCondition(part)) {
                if (keptAny) kept += separator;
                kept += Filled(part, position);
                keptAny = true;
            }
            start = end + 1;
        }
        return kept;
    }

private:
    std::array<std::string, kPlaceholders.size()> values;
};

bool AnyCondition(const SearchCondition& condition) {
    return !(condition.keyword.empty() && condition.province.empty() && condition.city.empty() &&
             condition.industry.empty() && condition.bizType.empty());
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

std::optional<QueryCharset> QueryCharsetNamed(std::string_view name) {
    if (name.empty() || name == "GBK") return QueryCharset::gbk;
    if (name == "UTF-8") return QueryCharset::utf8;
    return std::nullopt;
}

std::optional<std::string> FillSearchTemplate(std::string_view pattern, const SearchCondition& condition,
                                              QueryCharset charset, uint32_t page) {
    if (!AnyCondition(condition)) return std::nullopt;
    const TemplateFiller filler(condition, charset, page);
    const std::size_t fragmentStart = std::min(pattern.find('#'), pattern.size());
    const std::size_t queryStart = std::min(pattern.substr(0, fragmentStart).find('?'), fragmentStart);
    // The path starts at the first "/" after the authority; the scheme and host are filled as
    // they stand.
    const std::size_t authority = pattern.substr(0, queryStart).find("://");
    const std::size_t pathStart =
        authority == std::string_view::npos
            ? 0
            : std::min(pattern.substr(0, queryStart).find('/', authority + 3), queryStart);
    std::string address = filler.Filled(pattern.substr(0, pathStart), Position::path);
    address += filler.Kept(pattern.substr(pathStart, queryStart - pathStart), '/', Position::path);
    if (queryStart < fragmentStart) {
        const std::string query =
            filler.Kept(pattern.substr(queryStart + 1, fragmentStart - queryStart - 1), '&', Position::query);
        if (!query.empty()) address += '?' + query;
    }
    if (fragmentStart < pattern.size())
        address += filler.Filled(pattern.substr(fragmentStart), Position::query);
    return address;
}

std::vector<std::string> UnknownPlaceholders(std::string_view pattern) {
    std::vector<std::string> unknown;
    for (std::size_t open = pattern.find('{'); open != std::string_view::npos;
         open = pattern.find('{', open + 1)) {
        const std::size_t close = pattern.find('}', open);
        if (close == std::string_view::npos) {
            unknown.emplace_back(pattern.substr(open));
            break;
        }
        const std::string_view placeholder = pattern.substr(open, close + 1 - open);
        bool known = false;
        for (const Placeholder& candidate : kPlaceholders) known = known || candidate.name == placeholder;
        if (!known) unknown.emplace_back(placeholder);
    }
    return unknown;
}
