#pragma once

#include <string_view>

// Whether the text holds a byte below 0x20 or DEL, which no address, header value or user-agent
// text the client sends may hold: it could forge header lines or drive a terminal.
inline bool HoldsControlByte(std::string_view text) {
    constexpr unsigned char kDelete = 0x7F;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == kDelete) return true;
    }
    return false;
}
