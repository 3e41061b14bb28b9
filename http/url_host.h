#pragma once

#include <string>
#include <string_view>

// The URL standard's host parser for a special URL: appends the host as a URL writes it and
// returns true, or returns false when the text is no host. "[...]" is an IPv6 address, written
// compressed in brackets; anything else a domain, percent-decoded and lower-cased, which must be
// an IPv4 address in one of the standard's number forms (written dotted) when it ends in a number.
// A domain holding a byte of 0x80 and above is refused (no IDNA: see url.h).
bool AppendSpecialHost(std::string& out, std::string_view text);

// Whether the text may stand as another scheme's (opaque) host: no forbidden host code point.
bool IsOpaqueHost(std::string_view text);
