#pragma once

#include <string>

// The header lines every request carries between its request line and its Host line, written
// out byte for byte so that the tests check what the client sends.
inline const std::string kFixedLines =
    "Accept: */*\r\n"
    "Accept-Language: zh-cn\r\n"
    "Accept-Encoding: deflate\r\n"
    "Connection: close\r\n"
    "UA-CPU: x86\r\n"
    "User-Agent: Mozilla/4.0 (compatible; MSIE 7.0; Windows NT 5.2; .NET CLR 1.1.4322; .NET CLR "
    "2.0.50727)\r\n";
