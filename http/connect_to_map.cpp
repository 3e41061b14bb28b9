#include "http/connect_to_map.h"

#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

#include "http/url.h"

namespace {

constexpr int kAnyPort = 0;  // an empty port field
constexpr int kHighestPort = 65535;
constexpr std::size_t kFieldCount = 4;

struct ConnectToRule {
    std::string fromHost;  // empty: any host
    int fromPort = kAnyPort;
    std::string toHost;  // empty: the requested host
    int toPort = kAnyPort;
};

std::mutex rulesMutex;
std::vector<ConnectToRule> rules;

// An empty field gives kAnyPort; false for anything but 1 to 65535.
bool ParsePortField(std::string_view field, int& port) {
    port = kAnyPort;
    if (field.empty()) return true;
    if (field.size() > 5) return false;
    for (const char c : field) {
        if (c < '0' || c > '9') return false;
        port = port * 10 + (c - '0');
    }
    return port >= 1 && port <= kHighestPort;
}

// Splits "HOST1:PORT1:HOST2:PORT2" at its colons, a bracketed IPv6 host ("[::1]") taken whole.
bool SplitFields(std::string_view text, std::vector<std::string_view>& fields) {
    for (;;) {
        std::size_t end = 0;
        if (text.starts_with('[')) {
            end = text.find(']');
            if (end == std::string_view::npos) return false;
            ++end;
        }
        end = text.find(':', end);
        fields.push_back(text.substr(0, end));
        if (end == std::string_view::npos) return fields.size() == kFieldCount;
        text.remove_prefix(end + 1);
    }
}

// An empty host field stands for any host; any other must be a host a URL may name.
bool ParseHostField(std::string_view field, std::string& host) {
    if (field.empty()) return true;
    const std::optional<std::string> parsed = Url::ParseHost(field);
    if (parsed) host = *parsed;
    return parsed.has_value();
}

}  // namespace

bool AddConnectTo(const std::string& text) {
    std::vector<std::string_view> fields;
    ConnectToRule rule;
    if (!SplitFields(text, fields) || !ParseHostField(fields[0], rule.fromHost) ||
        !ParseHostField(fields[2], rule.toHost) || !ParsePortField(fields[1], rule.fromPort) ||
        !ParsePortField(fields[3], rule.toPort)) {
        return false;
    }
    std::lock_guard<std::mutex> lock(rulesMutex);
    rules.push_back(std::move(rule));
    return true;
}

void ClearConnectTo() {
    std::lock_guard<std::mutex> lock(rulesMutex);
    rules.clear();
}

ConnectTarget ResolveConnectTo(const std::string& host, int port) {
    // Hosts compare as a URL writes them: lower case, addresses in one form.
    const std::string requested = Url::ParseHost(host).value_or(host);
    std::lock_guard<std::mutex> lock(rulesMutex);
    for (const ConnectToRule& rule : rules) {
        if (!rule.fromHost.empty() && rule.fromHost != requested) continue;
        if (rule.fromPort != kAnyPort && rule.fromPort != port) continue;
        return {rule.toHost.empty() ? host : rule.toHost, rule.toPort == kAnyPort ? port : rule.toPort};
    }
    return {host, port};
}
