#pragma once

#include <string>
#include <string_view>

// The URL as a request sends it: the fragment dropped, the dot segments of the path removed as
// RFC 3986 removes them, and every byte that may not stand raw in a request target (space, bytes
// of 0x80 and above, and the other characters RFC 3986 excludes) written as "%XX", upper-case hex
// of the byte. Escapes already written as "%XX" stay as they are, and so do the scheme and the
// host part. A URL without a host part or holding a control byte comes back unchanged, for the
// URL splitting to refuse.
std::string RequestUrl(std::string_view url);
