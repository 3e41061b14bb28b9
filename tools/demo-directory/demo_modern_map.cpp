#include "tools/demo-directory/demo_modern_map.h"

#include <array>
#include <charconv>

#include "tools/demo-directory/gbk_text.h"

namespace demo_modern {
namespace {

// Every page of a company asks for the same query, as the site's own links give it.
constexpr std::string_view kHomeQuery = "?src=list&tab=info";
constexpr std::string_view kContactQuery = "?tab=contact&src=home";
constexpr int kContactPageEvery = 3;

struct Parameter {
    std::string_view name;
    std::string DemoConditions::*field;
};

constexpr std::array<Parameter, 5> kParameters = {{
    {"q", &DemoConditions::keyword},
    {"province", &DemoConditions::province},
    {"city", &DemoConditions::city},
    {"industry", &DemoConditions::industry},
    {"biztype", &DemoConditions::businessModel},
}};
constexpr std::string_view kPageParameter = "page";

std::string Http(const std::string& host, const std::string& target) {
    return "http://" + host + target;
}

std::string Encoded(const std::string& utf8) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
            c == '-' || c == '.' || c == '_' || c == '~') {
            encoded += c;
        } else if (c == ' ') {
            encoded += '+';
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        }
    }
    return encoded;
}

bool ReadNumber(std::string_view digits, int& number) {
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    return error == std::errc() && end == digits.data() + digits.size() && number > 0;
}

bool Consume(std::string_view& text, std::string_view prefix) {
    if (!text.starts_with(prefix)) return false;
    text.remove_prefix(prefix.size());
    return true;
}

}  // namespace

std::string HomeUrl(const DemoCompany& company) {
    if (company.family == DemoFamily::Member)
        return Http(kShopHost, "/" + company.memberId + "/" + std::string(kHomeQuery));
    return Http(kHost, "/company/" + std::to_string(company.id) + ".html" + std::string(kHomeQuery));
}

std::string ContactUrl(const DemoCompany& company) {
    if (company.family == DemoFamily::Member)
        return Http(kShopHost, "/" + company.memberId + "/contact" + std::string(kContactQuery));
    return Http(kHost, "/company/" + std::to_string(company.id) + "/contact" + std::string(kContactQuery));
}

bool HasContactPage(const DemoCompany& company) {
    return company.id % kContactPageEvery == 0;
}

std::string SearchTarget(const DemoConditions& conditions, int page) {
    std::string target(kSearchPath);
    char separator = '?';
    for (const Parameter& parameter : kParameters) {
        const std::string& value = conditions.*parameter.field;
        if (value.empty()) continue;
        target += separator + std::string(parameter.name) + "=" + Encoded(value);
        separator = '&';
    }
    return target + separator + std::string(kPageParameter) + "=" + std::to_string(page);
}

std::optional<DemoSearchRequest> ParseSearchTarget(std::string_view target) {
    if (!Consume(target, kSearchPath) || !(target.empty() || Consume(target, "?"))) return std::nullopt;
    DemoSearchRequest request;
    while (!target.empty()) {
        const std::size_t end = std::min(target.find('&'), target.size());
        const std::string_view pair = target.substr(0, end);
        target.remove_prefix(std::min(end + 1, target.size()));
        const std::size_t equals = pair.find('=');
        const std::string_view name = pair.substr(0, equals);
        const std::string value =
            PercentDecode(equals == std::string_view::npos ? std::string_view() : pair.substr(equals + 1));
        if (!Utf8ToGbk(value)) return std::nullopt;
        if (name == kPageParameter) {
            if (!ReadNumber(value, request.page)) return std::nullopt;
            continue;
        }
        for (const Parameter& parameter : kParameters) {
            if (name == parameter.name) request.conditions.*parameter.field = value;
        }
    }
    return request;
}

std::optional<CompanyPageAddress> ParseCompanyPageAddress(const std::string& host, std::string_view target) {
    CompanyPageAddress address;
    std::string_view rest = target;
    if (host == kShopHost) {
        if (!Consume(rest, "/")) return std::nullopt;
        const std::size_t slash = rest.find('/');
        if (slash == std::string_view::npos || slash == 0) return std::nullopt;
        address.memberId = std::string(rest.substr(0, slash));
        rest.remove_prefix(slash + 1);
    } else if (host == kHost) {
        if (!Consume(rest, "/company/")) return std::nullopt;
        const std::size_t digitsEnd = rest.find_first_not_of("0123456789");
        if (digitsEnd == std::string_view::npos || !ReadNumber(rest.substr(0, digitsEnd), address.companyId))
            return std::nullopt;
        rest.remove_prefix(digitsEnd);
        if (!Consume(rest, "/") && !rest.starts_with(".html")) return std::nullopt;
        if (Consume(rest, ".html")) {
            address.kind = PageKind::Home;
            return rest == kHomeQuery ? std::optional(address) : std::nullopt;
        }
    } else {
        return std::nullopt;
    }
    if (rest == kHomeQuery) {
        address.kind = PageKind::Home;
    } else if (Consume(rest, "contact") && rest == kContactQuery) {
        address.kind = PageKind::Contact;
    } else {
        return std::nullopt;
    }
    return address;
}

}  // namespace demo_modern
