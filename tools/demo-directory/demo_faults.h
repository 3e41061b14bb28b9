#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <string>

// Faults the demo directory injects on request, so that tests see a site that misbehaves the way
// real sites do. Which fault a page gets depends only on its address and the fault seed, so a
// test can tell beforehand which companies must be missing.
enum class DemoFault {
    None,
    NotFound,     // 404
    Forbidden,    // 403
    ServerError,  // 500
    Reset,        // the connection is dropped before any byte of the response
    SlowStart,    // the first byte comes late; the page itself is whole
    Chunked,      // the body comes in chunks
    Redirect,     // a Location to the same page under another path
    Truncated,    // the connection closes in the middle of the body
};

inline constexpr int kDemoFaultKinds = 8;  // the kinds after None

class DemoFaults {
public:
    // Probability of each kind, indexed by kind - 1; their sum must not exceed 1.
    std::array<double, kDemoFaultKinds> rates{};
    uint64_t seed = 1;
    std::chrono::milliseconds slowStart{1500};

    // Spreads one overall rate evenly over every kind.
    void SetOverallRate(double rate);
    bool Enabled() const;
    // The fault drawn for an address (scheme, host and request target).
    DemoFault For(const std::string& url) const;
};

// Whether the client gets no usable page: the failing kinds. A truncated page is usable text
// to the client; it fails only where the cut removes what the reader needs.
bool FaultFailsRequest(DemoFault fault);
