#pragma once

#include <string>

// The header lines every request carries between its request line and its Host line, the
// built-in User-Agent among them, written out byte for byte so that the tests check what the
// client sends.
inline const std::string kFixedLines =
    "Accept: */*\r\n"
    "Accept-Language: zh-cn\r\n"
    "Accept-Encoding: gzip, deflate\r\n"
    "UA-CPU: x86\r\n"
    "User-Agent: Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/131.0.0.0 Safari/537.36\r\n";
