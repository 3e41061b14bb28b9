#include "http/proxy_settings.h"

#include <utility>

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
