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
    // Misbehaviours of today's servers, written to the socket by hand (plain HTTP only):
    KeepOpen,          // a whole Content-Length body, then the connection stays open
    Trickle,           // the response comes a byte every few seconds
    Continue,          // "100 Continue" before the answer
    BareLineFeeds,     // head lines end in a line feed alone
    LowerCaseHeaders,  // header names in lower case, the body chunked
    ZeroPaddedChunks,  // chunk sizes with leading zeros
    CutShort,          // the connection closes before Content-Length bytes came
    EscapeLocation,    // a lower-case "location:" holding ESC [2J, to the same page
    // Answered by the library, so over HTTPS too:
    TooManyRequests,  // 429 with Retry-After; the next request gets the page
    Unavailable,      // 503 with Retry-After; the next request gets the page
};

inline constexpr int kDemoFaultKinds = 18;  // the kinds after None
// --faults spreads its rate over the first eight kinds only: the later ones are asked for by name.
inline constexpr int kDemoClassicFaultKinds = 8;

class DemoFaults {
public:
    // Probability of each kind, indexed by kind - 1; their sum must not exceed 1.
    std::array<double, kDemoFaultKinds> rates{};
    uint64_t seed = 1;
    std::chrono::milliseconds slowStart{1500};
    std::chrono::milliseconds trickleInterval{2000};
    int retryAfterSeconds = 1;

    // Spreads one overall rate evenly over every kind.
    void SetOverallRate(double rate);
    bool Enabled() const;
    // The fault drawn for an address (scheme, host and request target).
    DemoFault For(const std::string& url) const;
};

// A well-spread 64-bit hash of the text under the seed: the same for the same seed and text.
uint64_t SeededHash(uint64_t seed, const std::string& text);

// The kinds the demo writes to the socket itself, which it cannot do inside TLS.
bool FaultWrittenByHand(DemoFault fault);

// The kinds a client gets the page for only at its next request.
bool FaultAsksToRetry(DemoFault fault);

// Whether the client gets no usable page: the failing kinds. A truncated page is usable text
// to the client; it fails only where the cut removes what the reader needs.
bool FaultFailsRequest(DemoFault fault);
