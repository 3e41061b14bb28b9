#include "http/connect_to_map.h"

#include <mutex>
#include <string_view>
#include <vector>

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

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameHost(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return true;
}

}  // namespace

bool AddConnectTo(const std::string& text) {
    std::vector<std::string_view> fields;
    std::string_view rest = text;
    for (std::size_t colon = rest.find(':'); colon != std::string_view::npos; colon = rest.find(':')) {
        fields.push_back(rest.substr(0, colon));
        rest.remove_prefix(colon + 1);
    }
    fields.push_back(rest);
    if (fields.size() != kFieldCount) return false;

    ConnectToRule rule;
    rule.fromHost.assign(fields[0]);
    rule.toHost.assign(fields[2]);
    if (!ParsePortField(fields[1], rule.fromPort) || !ParsePortField(fields[3], rule.toPort)) return false;

    std::lock_guard<std::mutex> lock(rulesMutex);
    rules.push_back(std::move(rule));
    return true;
}

void ClearConnectTo() {
    std::lock_guard<std::mutex> lock(rulesMutex);
    rules.clear();
}

ConnectTarget ResolveConnectTo(const std::string& host, int port) {
    std::lock_guard<std::mutex> lock(rulesMutex);
    for (const ConnectToRule& rule : rules) {
        if (!rule.fromHost.empty() && !SameHost(rule.fromHost, host)) continue;
        if (rule.fromPort != kAnyPort && rule.fromPort != port) continue;
        return {rule.toHost.empty() ? host : rule.toHost, rule.toPort == kAnyPort ? port : rule.toPort};
    }
    return {host, port};
}
