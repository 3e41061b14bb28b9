#pragma once

#include <string>

// One GET over a fresh loopback connection, with the request target sent byte for byte (raw GBK
// bytes included) and the response read until the server closes, as the program's client does.
struct RawResponse {
    bool connected = false;
    std::string raw;  // everything received
    int status = 0;   // 0 when no status line arrived
    std::string head;
    std::string body;  // after the blank line, not decoded
    std::string Header(const std::string& name) const;
};

// `extraLines` are whole header lines ("Cookie: a=1\r\n") sent after the Host line.
RawResponse RawGet(int port, const std::string& host, const std::string& target,
                   const std::string& extraLines = "");
