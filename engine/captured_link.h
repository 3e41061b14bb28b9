#pragma once

#include <optional>
#include <string>
#include <string_view>

// Links as a rule captures them from a page's markup, made what the page meant.

// The HTML character references of an attribute value decoded: every numeric one ("&#47;",
// "&#x2F;", its ";" optional as browsers read it) and the named ones an address holds ("&amp;",
// "&lt;", "&gt;", "&quot;", "&apos;", each with its ";"). Any other "&" stays as it stands. A
// character beyond ASCII comes out in GB18030, as the engine holds page text.
std::string DecodeCharacterReferences(std::string_view text);

// The captured link decoded and resolved against the address of the page it was found on, as a
// browser follows it (a relative, root-relative, protocol-relative or query-only link), without
// its fragment. None when it is empty, names no URL, or leads to another scheme than http and
// https (javascript:, mailto:): the caller skips such a link.
std::optional<std::string> ResolveCapturedLink(std::string_view captured, std::string_view pageAddress);
