#pragma once

#include <string>
#include <string_view>

// Converts a page whose Content-Type charset, or a <meta charset>/<meta http-equiv> near its start,
// names an encoding other than GBK/GB2312/GB18030 to GB18030, in place. Undeclared pages and GBK
// family pages are left alone. Returns false (body untouched) when the named charset is unknown.
// A byte order mark at the very start counts as a declaration and outranks the others, as in
// browsers. Bytes that are not valid in the named encoding become U+FFFD, never half characters.
bool ConvertPageToGb18030(std::string_view contentTypeHeader, std::string& body);

// The charset a page declares, lower-cased, from its byte order mark, its Content-Type header or a
// meta tag near its start, in that order; empty when it declares none.
std::string DeclaredPageCharset(std::string_view contentTypeHeader, std::string_view body);

// Whether a charset label (lower-case) names GBK or an encoding whose bytes the engine reads as
// they are: GB2312, GB18030 and their aliases.
bool IsGbkFamilyCharset(std::string_view label);
