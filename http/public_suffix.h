#pragma once

#include <string_view>

// Whether the domain (lower case) is a public suffix, under which anyone may register names
// ("com", "com.cn", "github.io"), by the Public Suffix List as libpsl keeps it: the newer of the
// list built into the library and the one the system's publicsuffix package installs. A top-level
// domain the list does not name counts as one ("test"). Safe to call from any thread.
bool IsPublicSuffix(std::string_view domain);
