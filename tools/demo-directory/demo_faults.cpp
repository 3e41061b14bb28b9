#include "tools/demo-directory/demo_faults.h"

void DemoFaults::SetOverallRate(double rate) {
    rates.fill(0);
    for (int kind = 0; kind < kDemoClassicFaultKinds; ++kind) rates[kind] = rate / kDemoClassicFaultKinds;
}

bool DemoFaults::Enabled() const {
    for (double rate : rates) {
        if (rate > 0) return true;
    }
    return false;
}

uint64_t SeededHash(uint64_t seed, const std::string& text) {
    // FNV-1a over seed and text, then a splitmix64 finish to spread the bits.
    uint64_t hash = 0xCBF29CE484222325ULL;
    auto mix = [&hash](unsigned char byte) {
        hash ^= byte;
        hash *= 0x100000001B3ULL;
    };
    for (int shift = 0; shift < 64; shift += 8) mix(static_cast<unsigned char>(seed >> shift));
    for (char c : text) mix(static_cast<unsigned char>(c));
    hash ^= hash >> 30;
    hash *= 0xBF58476D1CE4E5B9ULL;
    hash ^= hash >> 27;
    hash *= 0x94D049BB133111EBULL;
    hash ^= hash >> 31;
    return hash;
}

DemoFault DemoFaults::For(const std::string& url) const {
    const uint64_t hash = SeededHash(seed, url);
    double draw = static_cast<double>(hash >> 11) / static_cast<double>(1ULL << 53);

    double bound = 0;
    for (int kind = 0; kind < kDemoFaultKinds; ++kind) {
        bound += rates[kind];
        if (draw < bound) return static_cast<DemoFault>(kind + 1);
    }
    return DemoFault::None;
}

bool FaultWrittenByHand(DemoFault fault) {
    return fault >= DemoFault::KeepOpen && fault <= DemoFault::EscapeLocation;
}

bool FaultAsksToRetry(DemoFault fault) {
    return fault == DemoFault::TooManyRequests || fault == DemoFault::Unavailable;
}

// A trickled page runs into the client's time limit; a body cut short is a failed read; the client
// refuses to follow an address holding a control byte.
bool FaultFailsRequest(DemoFault fault) {
    return fault == DemoFault::NotFound || fault == DemoFault::Forbidden || fault == DemoFault::ServerError ||
           fault == DemoFault::Reset || fault == DemoFault::Trickle || fault == DemoFault::CutShort ||
           fault == DemoFault::EscapeLocation;
}
