#pragma once

#include <atomic>
#include <mutex>
#include <string>

// A text written by the window's thread and read by engine threads: every read sees a whole
// value, never a torn one.
class SharedText {
public:
    void Set(std::string text);
    std::string Get() const;

private:
    mutable std::mutex mutex;
    std::string value;
};

// The process-wide proxy values; never saved.
extern std::atomic<int> useProxy;  // 0 or 1
extern SharedText proxyAddress;    // dotted IPv4 address
extern SharedText proxyPortText;   // its leading decimal digits give the port

// One consistent copy of the three values.
struct ProxySetting {
    bool enabled = false;
    std::string address;
    std::string portText;
};
ProxySetting CurrentProxySetting();
