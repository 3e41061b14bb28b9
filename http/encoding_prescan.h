#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

// How much of a page the prescan reads, as browsers do.
inline constexpr std::size_t kPrescanLength = 1024;

// The HTML standard's "prescan a byte stream to determine its encoding" over the page's first
// kPrescanLength bytes: the encoding the first meta tag of a known encoding declares (a declared
// UTF-16 as UTF-8, x-user-defined as windows-1252), or UTF-16 for a UTF-16 XML declaration; none
// when those bytes declare nothing the Encoding Standard knows.
std::optional<std::string_view> PrescanEncoding(std::string_view page);

// The same walk over the whole head, however long: a browser's parser changes the encoding when it
// meets such a meta tag later in the head. The walk skips the text of title, script and style
// elements and ends at the end of the head: its end tag, or the first tag that belongs in the body.
std::optional<std::string_view> HeadMetaEncoding(std::string_view page);
