#include "http/proxy_settings.h"

#include <utility>

namespace {

constexpr unsigned kPortModulus = 0x10000;

}  // namespace

std::atomic<int> useProxy{0};
SharedText proxyAddress;
SharedText proxyPortText;

void SharedText::Set(std::string text) {
    std::lock_guard<std::mutex> lock(mutex);
    value = std::move(text);
}

std::string SharedText::Get() const {
    std::lock_guard<std::mutex> lock(mutex);
    return value;
}

ProxySetting CurrentProxySetting() {
    ProxySetting setting;
    setting.enabled = useProxy.load() == 1;
    setting.address = proxyAddress.Get();
    setting.portText = proxyPortText.Get();
    return setting;
}

int LeadingPortNumber(std::string_view text) {
    unsigned port = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') break;
        port = (port * 10 + static_cast<unsigned>(c - '0')) % kPortModulus;
    }
    return static_cast<int>(port);
}
