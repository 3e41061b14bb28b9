#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <string_view>

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

// The leading decimal digits of the text as a TCP port: only the low 16 bits count, so
// overlong numbers wrap instead of overflowing. 0 when the text starts with no digit.
int LeadingPortNumber(std::string_view text);
