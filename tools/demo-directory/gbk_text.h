#pragma once

#include <optional>
#include <string>
#include <string_view>

// The demo directory keeps its data as UTF-8 and speaks GBK on the wire, as the real site does;
// the few characters outside GBK go out in GB18030's four-byte form, as the site's pages do.
// Conversions fail (none) on bytes that are not valid text of the source encoding.
std::optional<std::string> Utf8ToGbk(std::string_view utf8);
std::optional<std::string> GbkToUtf8(std::string_view gbk);
