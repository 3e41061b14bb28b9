#pragma once

#include <string>
#include <string_view>

// The encoding a page is read in (an Encoding Standard name), decided as browsers decide it: a
// byte order mark; else the Content-Type header's charset, where it names an encoding; else a
// meta tag in the page's first 1,024 bytes; else a meta tag further on in its head. A page that
// declares none of these is UTF-8 when its bytes are UTF-8 with multi-byte characters, else GBK.
std::string_view PageEncoding(std::string_view contentTypeHeader, std::string_view body);

// Converts a page to GB18030 in place from the encoding PageEncoding decides, and returns that
// encoding. GBK and gb18030 pages are left as they are, as are pages of the replacement encoding
// (labels such as iso-2022-kr and hz-gb-2312), whose text browsers replace by a single U+FFFD:
// the engine runs no script a hidden escape sequence could smuggle in, and the bytes keep what the
// page holds. Bytes not valid in the encoding become U+FFFD, never half characters.
std::string_view ConvertPageToGb18030(std::string_view contentTypeHeader, std::string& body);
